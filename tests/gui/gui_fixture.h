// The real program (the windows of Principal on the Qt host) over a fresh application folder,
// and the hands of a user: keys and clicks on the drawn widgets, never calls on the forms.
#pragma once

#include "fixture.h"
#include "sim_line.h"
#include "zylma/app/programa.h"
#include "zylma/qt/qt_host.h"

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QMenu;
class QMessageBox;
class QTimer;

namespace zylma::admin {
class ZylFrmSelPort;
}

namespace zylma::testing {

// A message box as it was drawn, and the button the user pressed on it.
struct CajaVista {
    std::string titulo, texto;
    std::vector<std::string> botones;  // as shown, mnemonic marks taken out
    int ancho = 0;
    std::string pulsado;
};

struct Gui {
    QApplication& a;
    AppFolder folder;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<qt::QtHost> host;
    std::unique_ptr<app::Programa> p;
    std::vector<CajaVista> cajas;
    // Buttons to press on the next boxes, by their text; an empty queue presses the default one.
    std::deque<std::string> respuestas;

    Gui();
    ~Gui();

    // The installation: software record of the given class, the kit's command texts (and `extra`
    // entries), a configuration record with every parameter shown for each model, and the
    // ordinary user "tecnico" / "zylma2026".
    void instala(const std::string& clase = "Gardomelinta",
                 const std::vector<std::pair<std::string, std::string>>& extra = {});
    // A simulated device of the model on a pty named as serial port 1.
    void conectaSimulador(const std::string& modelo = "00");
    // Starts the program as Principal does: the login shows.
    void arranca();
    // Straight to the main window as the engineering user on port 1 (for tests about the main
    // window itself).
    void principal();
    // On the drawn login: the engineering user's name and password typed, then Enter. The port
    // choice that follows, or nullptr when none opened.
    admin::ZylFrmSelPort* entraComoIngeniero();

    QWidget* w(const forms::Control& c) const;
    QWidget* ventana(const forms::Form& f) const;
    template <class W>
    W* como(const forms::Control& c) const { return qobject_cast<W*>(w(c)); }

    // The user's hands.
    void clic(QWidget* wd, QPoint at = QPoint(-1, -1), Qt::MouseButton b = Qt::LeftButton);
    void clic(const forms::Control& c) { clic(w(c)); }
    void dobleClic(const forms::Control& c);
    void teclas(QWidget* wd, const QString& texto);
    void tecla(QWidget* wd, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Keys go where the focus is, as on a desktop.
    void teclas(const QString& texto);
    void tecla(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    QWidget* foco() const;
    // Alt+letter where the focus is; a button so reached is pressed as the desktop does, drawn
    // down for a moment first.
    void mnemonico(int key);
    // Picks the entry by its text from a combo's drawn list (the pop-up opened with the mouse).
    void eligeEnLista(const forms::ComboBox& c, const QString& entrada);
    void activa(const forms::Form& f);
    // Runs `act` on the next pop-up menu once it is drawn (it waits for the user, so the caller's
    // gesture that opens it returns only after `act` has chosen or dismissed).
    void enElPopup(std::function<void(QMenu&)> act);
    // A menu of a window's bar opened by a click on its entry, then one of its items clicked.
    void eligeMenu(const forms::Menu& menu, const forms::Menu& item);
    // Waits (running events) until the condition holds; false after `ms`.
    bool espera(const std::function<bool()>& cond, int ms = 5000);

    // The window's picture in screenshots/gui, for a reviewer to look at.
    void foto(const forms::Form& f, const std::string& nombre);
    static std::string rutaFoto(const std::string& nombre);

private:
    QTimer* vigia_ = nullptr;
    mutable QPointer<QWidget> ultimoFoco_;
    void atiendeCaja(QMessageBox& box);
};

}  // namespace zylma::testing

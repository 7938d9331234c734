// The Qt host: draws the forms of the control model as Qt widgets and does all waiting with
// nested event loops, so serial reception and timers go on while a box or a pop-up is open.
//
// The widgets only draw and report gestures; every rule (what a keystroke does, when a handler
// runs, what a click toggles) stays in the form layer. A widget is never allowed to change its
// own text, check state or selection behind the layer's back: the host routes the gesture to the
// control and then copies the control's state back into the widget.
#pragma once

#include "zylma/forms/form.h"
#include "zylma/forms/host.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QTimer;
class QSocketNotifier;
class QEventLoop;
class QMenu;
class QApplication;
class QAction;

namespace zylma::qt {

class FormWindow;

// One per program. The forms go before the host does (their timers tell it when they go), and
// the program's loop is exec() below, which also knows a quit() that came before it started.
class QtHost : public forms::Host {
public:
    // A QApplication must exist before the host and outlive it.
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    int msgBox(const std::string& prompt, int style, const std::string& title) override;
    void popupMenu(forms::Menu& menu) override;
    void runModal(forms::Form& form) override;
    void formShown(forms::Form& form) override;
    void formHidden(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void focus(forms::Control& control) override;
    void refresh(forms::Form& form) override;
    void timerChanged(forms::Timer& timer) override;
    std::uint32_t tickCount() override;
    void doEvents() override;
    int watchFd(int fd, std::function<void()> onReadable) override;
    void unwatchFd(int id) override;
    void quit(int code = 0) override;
    bool quitting() const override { return quitting_; }
    int exitCode() const { return exitCode_; }

    // Runs the application's event loop until quit(); returns the exit code.
    int exec();

    // Builds the form's window and widgets without showing it (a form that was never shown has
    // none). Returns the window.
    QWidget* ensureWindow(forms::Form& form);
    // The form's window, or nullptr while it has none.
    QWidget* windowOf(const forms::Form& form) const;
    // The widget that draws a control, or nullptr (a timer, or a form without a window).
    QWidget* widgetOf(const forms::Control& control) const;
    // The menu bar's menu for a top-level menu with items, or nullptr while it is hidden or not
    // built.
    QMenu* barMenuOf(const forms::Menu& menu) const;
    // A top-level menu's entry in the menu bar (with items or without), or nullptr while it is
    // hidden or not built.
    QAction* barActionOf(const forms::Menu& menu) const;

private:
    friend class FormWindow;
    friend class Binding;
    struct FormState;
    struct Watch;

    FormState* stateOf(const forms::Form& form) const;
    QWidget* contentOf(const forms::Form& form) const;
    void dropWindow(forms::Form& form);
    void formGone(forms::Form& form);
    void endModal(forms::Form& form);
    void windowActivated(forms::Form& form);
    void forgetTimersOf(forms::Form& form);
    void forgetBox(QWidget* box);

    std::map<const forms::Form*, std::unique_ptr<FormState>> forms_;
    std::map<forms::Timer*, QTimer*> timers_;
    std::map<const forms::Form*, std::vector<QEventLoop*>> modalLoops_;
    std::map<int, std::unique_ptr<Watch>> watches_;
    int nextWatch_ = 1;
    QElapsedTimer clock_;
    bool quitting_ = false;
    bool inExec_ = false;
    int exitCode_ = 0;
    const forms::Form* lastActive_ = nullptr;
    // Nested waits open right now, innermost last; quit() closes them all.
    std::vector<QPointer<QWidget>> openBoxes_;
};

// Renders the form's window (building its widgets if needed) to a PNG file. The form's host must
// be a QtHost. False when it could not be drawn or written.
bool grabForm(forms::Form& form, const std::string& pngPath);

// The body of a program's main: the QApplication and the host are made here, then `body` runs
// with the host; it builds the program, shows its first form and returns host.exec():
//   return runApplication(argc, argv, [](QtHost& h) { Programa p(h); p.inicia(); return h.exec(); });
int runApplication(int argc, char** argv, const std::function<int(QtHost&)>& body);

// Loads Qt's own Spanish translation (the standard buttons of message boxes read "Aceptar",
// "Cancelar", "Sí", "No") from `folder`, or from Qt's translations folder when it is empty, in
// place of any loaded before. False, and Qt's own English, when the file is not there.
bool installSpanishTranslation(const std::string& folder = std::string());

// The font every form is drawn with: it renders the same on a desktop and under the offscreen
// platform the view tests use.
void applyStandardFont();

}  // namespace zylma::qt

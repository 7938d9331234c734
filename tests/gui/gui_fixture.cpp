#include "gui_fixture.h"

#include "qt_test_app.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/arranque.h"
#include "zylma/admin/editores.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/forms/form.h"
#include "zylma/models/modelos.h"
#include "zylma/records/records.h"
#include "zylma/serial/qt_serial_port.h"
#include "zylma/sim/comandos.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace zylma::testing {

namespace {

// Under the offscreen platform the screen is a technician's desktop, 1280 by 1024, not the
// plugin's small default, so "on screen" means what it does at a desk.
QApplication& appOnADesktopScreen() {
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    std::string conf;
    if (qpa && std::string(qpa) == "offscreen") {
        conf = std::filesystem::temp_directory_path().string() + "/zylma-gui-screen-" + std::to_string(::getpid()) +
               ".json";
        std::FILE* f = std::fopen(conf.c_str(), "w");
        if (f) {
            std::fputs("{\"screens\": [{\"name\": \"desk\", \"x\": 0, \"y\": 0, \"width\": 1280, "
                       "\"height\": 1024, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n",
                       f);
            std::fclose(f);
            ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + conf).c_str(), 1);
        }
    }
    QApplication& a = qt::testing::app();
    // Read once, when the application is made.
    if (!conf.empty()) std::filesystem::remove(conf);
    return a;
}

}  // namespace

Gui::Gui() : a(appOnADesktopScreen()) {
    qt::applyStandardFont();
    // Every box is answered as a user would: by a click on one of its drawn buttons.
    vigia_ = new QTimer;
    QObject::connect(vigia_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (box->isVisible()) atiendeCaja(*box);
    });
    vigia_->start(20);
}

Gui::~Gui() {
    delete vigia_;
    p.reset();
    host.reset();
    line.reset();
    ::unsetenv("ZYLMA_COM1");
}

void Gui::atiendeCaja(QMessageBox& box) {
    CajaVista v;
    v.titulo = box.windowTitle().toStdString();
    v.texto = box.text().toStdString();
    v.ancho = box.width();
    QAbstractButton* elegido = box.defaultButton();
    const std::string quiero = respuestas.empty() ? std::string() : respuestas.front();
    for (QAbstractButton* b : box.buttons()) {
        std::string t = b->text().remove('&').toStdString();
        v.botones.push_back(t);
        if (!quiero.empty() && t == quiero) elegido = b;
    }
    if (!quiero.empty()) respuestas.pop_front();
    if (!elegido) return;
    v.pulsado = elegido->text().remove('&').toStdString();
    cajas.push_back(v);
    std::fprintf(stderr, "box %zu \"%s\": %s -> %s\n", cajas.size(), v.titulo.c_str(), v.texto.c_str(),
                 v.pulsado.c_str());
    box.grab().save(QString::fromStdString(rutaFoto("box-" + std::to_string(cajas.size()) + ".png")), "PNG");
    QTest::mouseClick(elegido, Qt::LeftButton);
}

void Gui::instala(const std::string& clase, const std::vector<std::pair<std::string, std::string>>& extra) {
    folder.writeSoftware(AppFolder::softwareRecord(clase));
    const auto& k = sim::ComandosKit();
    std::vector<std::pair<std::string, std::string>> comandos = {{"Lectura", k.lectura},
                                                                  {"Escritura", k.escritura},
                                                                  {"ResetFabrica", k.resetFabrica},
                                                                  {"Verificar", k.verificar},
                                                                  {"Colgado", k.colgado}};
    comandos.insert(comandos.end(), extra.begin(), extra.end());
    folder.writeCommands(comandos);
    const char* restricciones[] = {"Larga distancia", "Celulares", "Internacional", "Servicios 900",
                                   "Servicios especiales (040)", "Operadora", "Cobro revertido",
                                   "Servicios 0800", "Locales"};
    const std::pair<const char*, const char*> modelos[] = {
        {"Sonobrisa", "12"}, {"Téndro", "30"},   {"Omnivelda", "30"}, {"Plurimandelo", "30"}, {"Fenzo", "30"},
        {"Fenzo", "8"},      {"Quintavo", "15"}, {"Selvarindo", "72"}, {"Tresmolina", "30"}};
    for (const auto& [modelo, version] : modelos) {
        records::Record conf(57);
        for (int i = 0; i < 20; ++i) conf[i] = "Parámetro " + std::to_string(i + 1);
        conf[40] = "111111111";
        conf[41] = modelo;
        conf[43] = "1234";
        conf[44] = version;
        for (int i = 0; i < 9; ++i) conf[45 + i] = restricciones[i];
        conf[54] = std::string(20, '1');
        conf[55] = "000000000";
        folder.writeConfig(modelo, version, conf);
    }
    records::Record cred{"tecnico", "zylma2026"};
    ASSERT_EQ(records::writeSingle(records::pathCredenciales(folder.path()), records::RegistroCredenciales, cred),
              records::Status::Ok);
}

void Gui::conectaSimulador(const std::string& modelo) {
    sim::Options o;
    o.model = modelo;
    line = std::make_unique<SimLine>(o);
    ::setenv("ZYLMA_COM1", line->path().c_str(), 1);
}

void Gui::arranca() {
    if (!line) conectaSimulador();
    qt::installSpanishTranslation();  // as Principal does at start
    host = std::make_unique<qt::QtHost>();
    p = std::make_unique<app::Programa>(*host, folder.path(), [] { return serial::makeQtSerialPort(); });
    models::RegistraModelos(p->modelos());
    admin::Arranca(*p);
    QApplication::processEvents();
}

void Gui::principal() {
    // Port 1 is always a simulated device: a test never opens a real serial port of the machine.
    if (!line) conectaSimulador();
    qt::installSpanishTranslation();
    host = std::make_unique<qt::QtHost>();
    p = std::make_unique<app::Programa>(*host, folder.path(), [] { return serial::makeQtSerialPort(); });
    models::RegistraModelos(p->modelos());
    p->NivelUsuario = "Ingenieria";
    p->NumPuerto = 1;
    admin::InstalaEditores(*p, p->pri());
    p->pri().show();
    activa(p->pri());
}

admin::ZylFrmSelPort* Gui::entraComoIngeniero() {
    auto& login = p->ventana<admin::ZylFrmLogin>();
    activa(login);
    teclas(w(*login.txtUserName), "Ingenieria");
    teclas(w(*login.txtPassword), "Trufa");
    tecla(w(*login.txtPassword), Qt::Key_Return);
    return p->ventanaSiExiste<admin::ZylFrmSelPort>();
}

QWidget* Gui::w(const forms::Control& c) const {
    QWidget* wd = host->widgetOf(c);
    EXPECT_NE(wd, nullptr) << c.name() << " has no widget";
    return wd;
}

QWidget* Gui::ventana(const forms::Form& f) const { return host->windowOf(f); }

void Gui::clic(QWidget* wd, QPoint at, Qt::MouseButton b) {
    ASSERT_NE(wd, nullptr);
    EXPECT_TRUE(wd->isVisible()) << wd->objectName().toStdString();
    if (at.x() < 0) at = wd->rect().center();
    QTest::mouseClick(wd, b, Qt::NoModifier, at);
}

void Gui::dobleClic(const forms::Control& c) {
    QWidget* wd = w(c);
    ASSERT_NE(wd, nullptr);
    QTest::mouseDClick(wd, Qt::LeftButton, Qt::NoModifier, wd->rect().center());
}

void Gui::teclas(QWidget* wd, const QString& texto) { QTest::keyClicks(wd, texto); }
void Gui::tecla(QWidget* wd, int key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(wd, static_cast<Qt::Key>(key), mods);
}

QWidget* Gui::foco() const {
    // After a box closes, the window under it gets its focus back; the offscreen platform has
    // no window manager to do it, so the window is activated again as a desktop's would be.
    if (!QApplication::focusWidget() && !QApplication::activeWindow() && ultimoFoco_) {
        ultimoFoco_->window()->activateWindow();
        QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, 1000);
    }
    QWidget* f = QApplication::focusWidget();
    if (!f) f = QApplication::activeWindow();
    if (f) ultimoFoco_ = f;
    return f;
}

void Gui::teclas(const QString& texto) {
    // One key at a time: a key may move the focus or open a window.
    for (QChar ch : texto) QTest::keyClicks(foco(), QString(ch));
}
void Gui::tecla(int key, Qt::KeyboardModifiers mods) { QTest::keyClick(foco(), static_cast<Qt::Key>(key), mods); }

void Gui::mnemonico(int key) {
    tecla(key, Qt::AltModifier);
    // A button reached by its mnemonic is drawn down and pressed a moment later.
    QTest::qWait(50);
    QTest::qWaitFor(
        [] {
            for (QWidget* wd : QApplication::allWidgets())
                if (auto* b = qobject_cast<QAbstractButton*>(wd); b && b->isDown()) return false;
            return true;
        },
        5000);
    QApplication::processEvents();
}

void Gui::enElPopup(std::function<void(QMenu&)> act) {
    auto* t = new QTimer;
    auto inicio = std::make_shared<QElapsedTimer>();
    inicio->start();
    QObject::connect(t, &QTimer::timeout, t, [t, act, inicio] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->isVisible() && !menu->actions().isEmpty()) {
            t->stop();
            t->deleteLater();
            act(*menu);
        } else if (inicio->elapsed() > 20000) {
            t->stop();
            t->deleteLater();
        }
    });
    t->start(20);
}

void Gui::eligeEnLista(const forms::ComboBox& c, const QString& entrada) {
    auto* cb = como<QComboBox>(c);
    ASSERT_NE(cb, nullptr);
    const int i = cb->findText(entrada);
    ASSERT_GE(i, 0) << entrada.toStdString() << " is not in the list";
    cb->showPopup();
    QAbstractItemView* vista = cb->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista->isVisible(); }, 2000));
    const QRect r = vista->visualRect(cb->model()->index(i, 0));
    QTest::mouseClick(vista->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::qWaitFor([&] { return !vista->isVisible(); }, 2000);
}

void Gui::eligeMenu(const forms::Menu& menu, const forms::Menu& item) {
    QAction* entrada = host->barActionOf(menu);
    ASSERT_NE(entrada, nullptr) << menu.caption() << " is not on the bar";
    QMenuBar* mb = ventana(menu.form())->findChild<QMenuBar*>();
    ASSERT_NE(mb, nullptr);
    clic(mb, mb->actionGeometry(entrada).center());
    auto* qm = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(qm, nullptr) << menu.caption() << " did not open";
    for (QAction* a : qm->actions())
        if (a->text().toStdString() == item.caption()) {
            QTest::mouseMove(qm, qm->actionGeometry(a).center());
            QTest::mouseClick(qm, Qt::LeftButton, {}, qm->actionGeometry(a).center());
            return;
        }
    FAIL() << item.caption() << " is not in the menu";
}

void Gui::activa(const forms::Form& f) {
    QWidget* wd = ventana(f);
    ASSERT_NE(wd, nullptr);
    wd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wd)) << f.name();
}

bool Gui::espera(const std::function<bool()>& cond, int ms) { return QTest::qWaitFor(cond, ms); }

std::string Gui::rutaFoto(const std::string& nombre) {
    const std::string carpeta = std::string(ZYLMA_BINARY_DIR) + "/screenshots/gui";
    std::filesystem::create_directories(carpeta);
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    return carpeta + "/" + (t ? std::string(t->name()) + "-" : std::string()) + nombre;
}

void Gui::foto(const forms::Form& f, const std::string& nombre) {
    QWidget* wd = ventana(f);
    ASSERT_NE(wd, nullptr);
    ASSERT_TRUE(wd->grab().save(QString::fromStdString(rutaFoto(nombre)), "PNG"));
}

}  // namespace zylma::testing

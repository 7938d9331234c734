// The login and the port choice drawn by the Qt host: keys as the user presses them, the menus
// an ordinary user is left with, and pictures of both windows in the build tree.
#include "acceso_fixture.h"
#include "qt_test_app.h"
#include "zylma/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <filesystem>

using namespace zylma;
namespace zt = zylma::testing;
using admin::ZylFrmLogin;
using admin::ZylFrmSelPort;

namespace {

const std::string kCarpetaFotos = std::string(ZYLMA_BINARY_DIR) + "/screenshots/admin";

struct LoginView : ::testing::Test {
    QApplication& a = qt::testing::app();
    zt::AppFolder folder;
    qt::QtHost host;
    zt::FakePort* port = nullptr;
    std::unique_ptr<app::Programa> programa;

    void arranca(const std::string& clase = "Gardomelinta") {
        qt::applyStandardFont();
        folder.writeSoftware(zt::AppFolder::softwareRecord(clase));
        zt::escribeCredenciales(folder.path(), zt::registroCredenciales("tecnico", "zylma2026"));
        programa = std::make_unique<app::Programa>(host, folder.path(), [this] {
            auto p = std::make_unique<zt::FakePort>();
            port = p.get();
            return p;
        });
        admin::MuestraLogin(*programa);
        QWidget* w = host.windowOf(login());
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    ZylFrmLogin& login() { return programa->ventana<ZylFrmLogin>(); }
    QLineEdit* caja(forms::TextBox* t) { return qobject_cast<QLineEdit*>(host.widgetOf(*t)); }
    void teclea(const char* usuario, const char* clave) {
        QTest::keyClicks(caja(login().txtUserName), usuario);
        QTest::keyClicks(caja(login().txtPassword), clave);
        QTest::keyClick(caja(login().txtPassword), Qt::Key_Return);
    }
    static std::string foto(const std::string& nombre) {
        std::filesystem::create_directories(kCarpetaFotos);
        return kCarpetaFotos + "/" + nombre;
    }
};

TEST_F(LoginView, LoginAndPortChoiceAreDrawnAndEnterIsAceptar) {
    arranca();
    QLineEdit* clave = caja(login().txtPassword);
    ASSERT_NE(clave, nullptr);
    EXPECT_EQ(clave->echoMode(), QLineEdit::Password);
    QTest::keyClicks(caja(login().txtUserName), "Ingenieria");
    QTest::keyClicks(clave, "Trufa");
    EXPECT_EQ(login().txtPassword->text(), "Trufa");
    const std::string fotoLogin = foto("login.png");
    ASSERT_TRUE(qt::grabForm(login(), fotoLogin));
    EXPECT_GT(std::filesystem::file_size(fotoLogin), 0u);

    QTest::keyClick(clave, Qt::Key_Return);
    ZylFrmSelPort* s = programa->ventanaSiExiste<ZylFrmSelPort>();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->visible());
    EXPECT_FALSE(host.windowOf(login()) && host.windowOf(login())->isVisible());
    auto* combo = qobject_cast<QComboBox*>(host.widgetOf(*s->ZylCmbNumPort));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->currentText().toStdString(), "# Puerto");
    const std::string fotoPuerto = foto("port_choice.png");
    ASSERT_TRUE(qt::grabForm(*s, fotoPuerto));
    EXPECT_GT(std::filesystem::file_size(fotoPuerto), 0u);

    // The engineering user keeps both administration menus on the bar.
    s->ZylCmbNumPort->userSelect(2);
    app::ZylForPri& w = programa->pri();
    EXPECT_TRUE(host.windowOf(w)->isVisible());
    EXPECT_NE(host.barMenuOf(*w.ZylMnuCon), nullptr);
    EXPECT_NE(host.barActionOf(*w.ZylMnuMon), nullptr);
    EXPECT_EQ(programa->NumPuerto, 3);
}

TEST_F(LoginView, WrongPasswordLeavesTheWholePasswordSelectedInItsBox) {
    arranca();
    std::string titulo;
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, t, [t, &titulo] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            t->stop();
            t->deleteLater();
            titulo = box->windowTitle().toStdString();
            box->accept();
        }
    });
    t->start(10);
    // Focus on the name box when Enter comes: the selection must land in the password box anyway.
    QTest::keyClicks(caja(login().txtUserName), "Ingenieria");
    QTest::keyClicks(caja(login().txtPassword), "trufa");
    QTest::keyClick(caja(login().txtUserName), Qt::Key_Return);
    EXPECT_EQ(titulo, "Inicio de sesión");
    // The window gets its activation back from the closed box (the desktop does it; offscreen
    // does not).
    host.windowOf(login())->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(login())));
    QLineEdit* clave = caja(login().txtPassword);
    EXPECT_TRUE(clave->hasFocus());
    EXPECT_EQ(clave->selectionStart(), 0);
    EXPECT_EQ(clave->selectedText().toStdString(), "trufa");
    EXPECT_EQ(caja(login().txtUserName)->text().toStdString(), "Ingenieria");  // no keys went there
    // Overtyping replaces the whole password.
    QTest::keyClicks(clave, "Trufa");
    EXPECT_EQ(login().txtPassword->text(), "Trufa");
}

TEST_F(LoginView, OrdinaryUserHasNeitherMenuNorItsMnemonic) {
    arranca("PC");
    teclea("tecnico", "zylma2026");
    ASSERT_TRUE(programa->priExiste());
    app::ZylForPri& w = programa->pri();
    QWidget* ventana = host.windowOf(w);
    ASSERT_NE(ventana, nullptr);
    EXPECT_TRUE(ventana->isVisible());
    EXPECT_EQ(host.barMenuOf(*w.ZylMnuCon), nullptr);
    EXPECT_EQ(host.barActionOf(*w.ZylMnuMon), nullptr);
    EXPECT_NE(host.barMenuOf(*w.ZylMnuPri), nullptr);
    ventana->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ventana));
    QTest::keyClick(ventana, Qt::Key_M, Qt::AltModifier);
    QTest::keyClick(ventana, Qt::Key_C, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_FALSE(programa->monitorExiste() && programa->monitor().visible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(programa->NumPuerto, 0);
    EXPECT_EQ(port, nullptr);
}

TEST_F(LoginView, EscapeEndsTheProgramWithNoWindowLeft) {
    arranca();
    QTest::keyClick(caja(login().txtUserName), Qt::Key_Escape);
    EXPECT_TRUE(host.quitting());
    EXPECT_EQ(host.exec(), 0);
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();
}

}  // namespace

// The set-up wizard and the credentials window drawn by the Qt host: the options as one group
// under the mouse, the password boxes as each window shows them, and pictures of both.
#include "kit_fixture.h"
#include "qt_test_app.h"
#include "zylma/admin/acceso.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/selector.h"
#include "zylma/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QRadioButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

using namespace zylma;
namespace zt = zylma::testing;

namespace {

const std::string kCarpetaFotos = std::string(ZYLMA_BINARY_DIR) + "/screenshots/admin";

std::string foto(const std::string& nombre) {
    std::filesystem::create_directories(kCarpetaFotos);
    return kCarpetaFotos + "/" + nombre;
}

struct VistaInicio : ::testing::Test {
    QApplication& a = qt::testing::app();
    qt::QtHost host;
    std::unique_ptr<app::Programa> programa;
    void crea(const std::string& carpeta) {
        // A program that ended in an earlier test without its main loop ever running leaves
        // Qt's request to leave every loop standing, and each box would return at once. One
        // turn of the main loop clears it.
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        qt::applyStandardFont();
        programa = std::make_unique<app::Programa>(host, carpeta, [] { return std::make_unique<zt::FakePort>(); });
    }
    void activa(forms::Form& f) {
        QWidget* w = host.windowOf(f);
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
};

TEST_F(VistaInicio, WizardOptionsAreOneGroupUnderTheMouse) {
    zt::CopiaKit k;
    crea(k.app);
    admin::MuestraSelector(*programa);
    admin::frmSelector& w = programa->ventana<admin::frmSelector>();
    activa(w);
    EXPECT_EQ(host.windowOf(w)->windowTitle().toStdString(), "KZQ");
    // Drawn as option buttons, one group kept by the form.
    auto opcion = [&](int i) { return qobject_cast<QRadioButton*>(host.widgetOf(*w.chkEquipoGardomelinta[static_cast<size_t>(i)])); };
    for (int i = 0; i < 10; ++i) ASSERT_NE(opcion(i), nullptr) << i;

    QTest::mouseClick(opcion(1), Qt::LeftButton);
    QTest::mouseClick(opcion(7), Qt::LeftButton);
    QTest::mouseClick(opcion(7), Qt::LeftButton);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(opcion(i)->isChecked(), i == 7) << i;
    EXPECT_EQ(w.ModeloInstalado, 7);

    // The wizard's password is shown as typed, so it can be copied down for the user.
    auto* clave = qobject_cast<QLineEdit*>(host.widgetOf(*w.TxtSelContraseña));
    ASSERT_NE(clave, nullptr);
    EXPECT_EQ(clave->echoMode(), QLineEdit::Normal);
    QTest::keyClicks(qobject_cast<QLineEdit*>(host.widgetOf(*w.TxtSelUsuario)), "tecnico");
    QTest::keyClicks(clave, "zylma2026");
    auto* sistema = qobject_cast<QComboBox*>(host.widgetOf(*w.cmbSelSistemaOperativo));
    ASSERT_NE(sistema, nullptr);
    EXPECT_EQ(sistema->currentText().toStdString(), "Sistema Operativo");
    EXPECT_EQ(sistema->count(), 6);
    const std::string f = foto("wizard.png");
    ASSERT_TRUE(qt::grabForm(w, f));
    EXPECT_GT(std::filesystem::file_size(f), 0u);
}

// The whole first run under the Qt host: the confirmation box, then the login modal on top of
// the wizard, then the port choice with the wizard gone.
TEST_F(VistaInicio, ContinuarConfirmsInstallsAndLeadsThroughTheModalLogin) {
    zt::CopiaKit k;
    crea(k.app);
    admin::MuestraSelector(*programa);
    admin::frmSelector& w = programa->ventana<admin::frmSelector>();
    activa(w);
    auto* fenzo = qobject_cast<QRadioButton*>(host.widgetOf(*w.chkEquipoGardomelinta[4]));
    ASSERT_NE(fenzo, nullptr);
    // On the box itself: Qt takes a click only over the box and its caption.
    QTest::mouseClick(fenzo, Qt::LeftButton, {}, QPoint(8, fenzo->height() / 2));
    EXPECT_EQ(w.ModeloInstalado, 4);
    QTest::keyClicks(qobject_cast<QLineEdit*>(host.widgetOf(*w.TxtSelUsuario)), "tecnico");
    QTest::keyClicks(qobject_cast<QLineEdit*>(host.widgetOf(*w.TxtSelContraseña)), "zylma2026");
    w.cmbSelSistemaOperativo->userSelect(0);

    std::string confirmacion;
    bool loginModal = false;
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, t, [&, t] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            confirmacion = box->text().toStdString();
            box->button(QMessageBox::Yes)->click();
            return;
        }
        admin::ZylFrmLogin* l = programa->ventanaSiExiste<admin::ZylFrmLogin>();
        if (!l || !host.windowOf(*l) || !host.windowOf(*l)->isVisible()) return;
        t->stop();
        t->deleteLater();
        loginModal = l->modal();
        auto* nombre = qobject_cast<QLineEdit*>(host.widgetOf(*l->txtUserName));
        auto* clave = qobject_cast<QLineEdit*>(host.widgetOf(*l->txtPassword));
        QTest::keyClicks(nombre, "Ingenieria");
        QTest::keyClicks(clave, "Trufa");
        QTest::keyClick(clave, Qt::Key_Return);
    });
    t->start(10);
    QTest::mouseClick(qobject_cast<QPushButton*>(host.widgetOf(*w.cmdSelAceptar)), Qt::LeftButton);

    EXPECT_NE(confirmacion.find("Windows 95"), std::string::npos) << confirmacion;
    EXPECT_NE(confirmacion.find("Fenzo"), std::string::npos) << confirmacion;
    EXPECT_TRUE(loginModal);
    EXPECT_FALSE(w.loaded());
    EXPECT_FALSE(host.windowOf(w) && host.windowOf(w)->isVisible());
    admin::ZylFrmSelPort* puerto = programa->ventanaSiExiste<admin::ZylFrmSelPort>();
    ASSERT_NE(puerto, nullptr);
    EXPECT_TRUE(host.windowOf(*puerto)->isVisible());
    EXPECT_EQ(zt::leeBytes(k.app + "/QRXdll.dll"), zt::leeBytes(k.kit("KWMD95.DLL")));
    EXPECT_EQ(zt::leeBytes(k.app + "/qaltro6.dll"), [] {
        std::string r;
        for (const std::string& f : {std::string("tecnico"), std::string("zylma2026")}) {
            r += static_cast<char>(f.size());
            r += '\0';
            r += f;
        }
        r.resize(1000, '\0');
        return r;
    }());
    EXPECT_FALSE(host.quitting());
}

TEST_F(VistaInicio, CredentialsWindowHidesThePasswordAndEscapeClosesIt) {
    zt::AppFolder folder;
    crea(folder.path());
    admin::MuestraCapLogin(*programa);
    admin::frmCapLogin& w = programa->ventana<admin::frmCapLogin>();
    activa(w);
    auto* usuario = qobject_cast<QLineEdit*>(host.widgetOf(*w.txtUsuario));
    auto* clave = qobject_cast<QLineEdit*>(host.widgetOf(*w.txtPassword));
    ASSERT_NE(usuario, nullptr);
    ASSERT_NE(clave, nullptr);
    EXPECT_EQ(clave->echoMode(), QLineEdit::Password);
    QTest::keyClicks(usuario, "tecnico");
    QTest::keyClicks(clave, "zylma2026");
    const std::string f = foto("credentials.png");
    ASSERT_TRUE(qt::grabForm(w, f));
    EXPECT_GT(std::filesystem::file_size(f), 0u);

    QTest::keyClick(clave, Qt::Key_Escape);
    EXPECT_FALSE(w.loaded());
    EXPECT_FALSE(std::filesystem::exists(records::pathCredenciales(folder.path())));
}

}  // namespace

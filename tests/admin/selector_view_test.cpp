// The set-up wizard and the credentials window drawn by the Qt host: the options as one group
// under the mouse, the password boxes as each window shows them, and pictures of both.
#include "kit_fixture.h"
#include "qt_test_app.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/selector.h"
#include "zylma/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

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
    auto opcion = [&](int i) { return qobject_cast<QCheckBox*>(host.widgetOf(*w.chkEquipoGardomelinta[static_cast<size_t>(i)])); };
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

// The two record editors drawn by the Qt host: a record shown in them lands in the widgets, a
// click on a drawn box reaches the flags, and pictures of both windows go to the build tree.
#include "acceso_fixture.h"
#include "qt_test_app.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/software.h"
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
namespace fs = std::filesystem;

namespace {

const std::string kCarpetaFotos = std::string(ZYLMA_BINARY_DIR) + "/screenshots/admin";

struct EditoresView : ::testing::Test {
    QApplication& a = qt::testing::app();
    zt::AppFolder folder;
    qt::QtHost host;
    std::unique_ptr<app::Programa> programa;

    void SetUp() override {
        qt::applyStandardFont();
        folder.writeSoftware(zt::AppFolder::softwareRecord("Distribuidor"));
        programa = std::make_unique<app::Programa>(host, folder.path(), [] { return std::make_unique<zt::FakePort>(); });
    }
    static std::string foto(const std::string& nombre) {
        fs::create_directories(kCarpetaFotos);
        return kCarpetaFotos + "/" + nombre;
    }
    QCheckBox* caja(forms::CheckBox* c) { return qobject_cast<QCheckBox*>(host.widgetOf(*c)); }
    std::string texto(forms::TextBox* t) {
        auto* e = qobject_cast<QLineEdit*>(host.widgetOf(*t));
        return e ? e->text().toStdString() : std::string("<no widget>");
    }
};

TEST_F(EditoresView, SoftwareEditorShowsTheRecordAndItsFlags) {
    records::Record r = zt::AppFolder::softwareRecord("Distribuidor");
    r[20] = "10100000000000000001";
    folder.writeSoftware(r);
    {
        records::ArchivoRegistros f;
        ASSERT_EQ(f.openWrite(records::pathUsuarios(folder.path()), records::RegistroUsuario), records::Status::Ok);
        ASSERT_EQ(f.write(1, {"técnico", "1", "sede", "10/12/2026"}), records::Status::Ok);
    }
    admin::ZylFrmCPri& w = programa->ventana<admin::ZylFrmCPri>();
    w.show();
    ASSERT_NE(host.windowOf(w), nullptr);
    w.ZylCmdCPConRec->userClick();
    EXPECT_EQ(host.windowOf(w)->windowTitle().toStdString(), "Zylma-Configuración Principal");
    EXPECT_EQ(texto(w.ZylTexE[2]), "Téndro");
    EXPECT_EQ(texto(w.ZylTexE[20]), "3");
    EXPECT_EQ(texto(w.ZylTexEBan), "10100000000000000001");
    ASSERT_NE(caja(w.ZylChkE[0]), nullptr);
    EXPECT_TRUE(caja(w.ZylChkE[0])->isChecked());
    EXPECT_FALSE(caja(w.ZylChkE[1])->isChecked());
    EXPECT_TRUE(caja(w.ZylChkE[19])->isChecked());

    // A click on the drawn box is the box's click.
    QTest::mouseClick(caja(w.ZylChkE[1]), Qt::LeftButton);
    EXPECT_EQ(w.BanderasSoftware[1], "1");
    auto* usuarios = qobject_cast<QComboBox*>(host.widgetOf(*w.ZylComCPUsuarios));
    ASSERT_NE(usuarios, nullptr);
    EXPECT_EQ(usuarios->count(), 1);
    EXPECT_EQ(usuarios->itemText(0).toStdString(), "técnico");

    const std::string png = foto("software_editor.png");
    ASSERT_TRUE(qt::grabForm(w, png));
    EXPECT_GT(fs::file_size(png), 0u);
}

// Opened, without "&Recuperar": the drawn boxes already hold the stored record and its user.
TEST_F(EditoresView, SoftwareEditorOpensOnTheStoredRecord) {
    {
        records::ArchivoRegistros f;
        ASSERT_EQ(f.openWrite(records::pathUsuarios(folder.path()), records::RegistroUsuario), records::Status::Ok);
        ASSERT_EQ(f.write(1, {"técnico", "1", "sede", "10/12/2026"}), records::Status::Ok);
    }
    admin::ZylFrmCPri& w = programa->ventana<admin::ZylFrmCPri>();
    w.show();
    ASSERT_NE(host.windowOf(w), nullptr);
    EXPECT_EQ(texto(w.ZylTexE[0]), "Zylma");
    EXPECT_EQ(texto(w.ZylTexE[2]), "Téndro");
    EXPECT_EQ(texto(w.ZylTexE[20]), "3");
    EXPECT_EQ(texto(w.ZylTexE[21]), "10");
    auto* usuarios = qobject_cast<QComboBox*>(host.widgetOf(*w.ZylComCPUsuarios));
    ASSERT_NE(usuarios, nullptr);
    EXPECT_EQ(usuarios->currentText().toStdString(), "técnico");
    EXPECT_EQ(texto(w.ZylTexE[24]), "sede");
    const std::string png = foto("software_editor_opened.png");
    ASSERT_TRUE(qt::grabForm(w, png));
    EXPECT_GT(fs::file_size(png), 0u);
}

TEST_F(EditoresView, ConfigurationEditorShowsARecordChosenFromItsList) {
    {
        records::ArchivoRegistros f;
        ASSERT_EQ(f.openWrite(records::pathEquipo(folder.path()), records::RegistroEquipo), records::Status::Ok);
        ASSERT_EQ(f.write(1, {"Tendro", "ID7"}), records::Status::Ok);
    }
    records::Record r(57);
    const char* nombres[] = {"Tarifa", "Tiempo", "Pulsos", "Zona", "Prefijo"};
    for (int i = 0; i < 5; ++i) r[i] = nombres[i];
    for (int i = 0; i < 5; ++i) r[20 + i] = std::to_string(10 * (i + 1));
    r[40] = "111100000";
    r[41] = "Tendro";
    r[42] = "ID7";
    r[43] = "1234";
    r[44] = "30";
    const char* restricciones[] = {"Celulares", "Larga distancia", "Internacional", "900"};
    for (int i = 0; i < 4; ++i) r[45 + i] = restricciones[i];
    r[54] = "11111000000000000000";
    r[55] = "101000000";
    r[56] = "01/12/2026";
    folder.writeConfig("Tendro", "30", r);

    admin::ZylFrmConf& w = programa->ventana<admin::ZylFrmConf>();
    w.show();
    ASSERT_NE(host.windowOf(w), nullptr);
    w.ZylComVis->userSelect(0);
    EXPECT_EQ(host.windowOf(w)->windowTitle().toStdString(), "Zylma-Configuración");
    EXPECT_EQ(texto(w.ZylTexPar[0]), "Tarifa");
    EXPECT_EQ(texto(w.ZylTexRes[1]), "Larga distancia");
    EXPECT_EQ(texto(w.ZylTexFec), "01/12/2026");
    ASSERT_NE(caja(w.ZylChkConVis[4]), nullptr);
    EXPECT_TRUE(caja(w.ZylChkConVis[4])->isChecked());
    EXPECT_FALSE(caja(w.ZylChkConVis[5])->isChecked());
    EXPECT_TRUE(caja(w.ZylLabConchk[2])->isChecked());
    EXPECT_TRUE(caja(w.ResV[3])->isChecked());
    QTest::mouseClick(caja(w.ResV[3]), Qt::LeftButton);
    EXPECT_EQ(w.BanderasVisibleRestriccion[3], "0");

    const std::string png = foto("configuration_editor.png");
    ASSERT_TRUE(qt::grabForm(w, png));
    EXPECT_GT(fs::file_size(png), 0u);
}

}  // namespace

// The Selvarindo panel as a technician sees it after a read of a Sin Voz device.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

TEST(SelvarindoView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf(57);
    conf[20] = "0";
    conf[21] = "0000";
    conf[22] = "0";
    conf[40] = "000000000";
    conf[43] = "1234";
    conf[55] = "000000000";
    folder.writeConfig("Selvarindo", "72", conf);
    ProgramaVista v(folder.path());
    std::string mapa = "0872" "09" "0001" "0A" "09" "01020304" "02040608";
    mapa.resize(132, 'F');
    v.lee(7, mapa + "03FE");
    EXPECT_EQ(v.w().ZylTexResCla->text(), "1234");
    const std::string png = zylma::testing::Captura("selvarindo-panel.png");
    ASSERT_TRUE(qt::grabForm(v.w(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylFraSvdNum9", "ZylTxtSvdClvSal", "ZylLblSvdIdent"}) v.esVisible(nombre);
}

}  // namespace

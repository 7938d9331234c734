// The Omnivelda panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

TEST(OmniveldaView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf = zylma::testing::ConfiguracionVista("111100000", "1234", 4);
    conf[0] = "Tiempo de duración para llamadas prohibidas";
    conf[1] = "Tiempo de duración para llamadas libres";
    conf[2] = "Dígitos para salir del conmutador";
    conf[3] = "Liberar la tabla de memorias de números telefónicos";
    conf[5] = "Memorias de 4 dígitos";
    conf[6] = "Memorias de 16 dígitos";
    folder.writeConfig("Omnivelda", "30", conf);
    ProgramaVista v(folder.path());
    std::string mapa = "051E09" "0001" "2015" "00" "010800" "000005" "090F0F" "1234" "5A5F" "BFFF" +
                       std::string(48, 'F') + "5551234FFFFFFFFF" + std::string(16, 'F') + "12";
    mapa += "00" "45" "3456AFFFFFFFFFFFFF" + std::string(108, 'F') + "6E" "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("05"));
    v.lee(3, mapa);
    EXPECT_EQ(v.w().ZylTexResCla->text(), "1234");
    const std::string png = zylma::testing::Captura("omnivelda-panel.png");
    ASSERT_TRUE(qt::grabForm(v.w(), png));
    QImage img(QString::fromStdString(png));
    EXPECT_GT(img.width(), 700);
    for (const char* name : {"ZylTxtOmnMe16", "ZylTxtOmnMe4"}) v.esVisible(name, 0);
}

}  // namespace

// The Fenzo panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::F;
using zylma::testing::ProgramaVista;

namespace {

TEST(FenzoView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf = zylma::testing::ConfiguracionVista("101111000", "12345", 6);
    conf[0] = "Troncal de conmutador";
    conf[3] = "Tiempo de duración para llamadas prohibidas";
    conf[5] = "Números de teléfono";
    conf[6] = "Tiempo de duración para llamadas libres";
    ProgramaVista v(folder.path());
    folder.writeConfig("Fenzo", "30", conf);
    std::string mapa = "0A1E09" "0001" "1A345F" "140300" "000007" "000005" "010800" + ("5551234" + F(9)) +
                       ("B1A0A" + F(11)) + F(16) + F(16) + F(16) + "12345678" + "00" "45" + "90" + F(6) + F(16) +
                       F(16) + F(16) + ("0987" + F(12)) + "1A345F" "11111F" "2FFFFF" "FFFFFF" "54321F" + "6E" + F(24) +
                       "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("0:"));
    v.lee(5, mapa);
    EXPECT_EQ(v.w().ZylTexResCla->text(), "10345");
    ASSERT_TRUE(qt::grabForm(v.w(), zylma::testing::Captura("fenzo-panel.png")));
    for (const char* name : {"ZylTexFenNumTel", "ZylTexFenClv"}) v.esVisible(name, name[9] == 'N' ? 9 : 4);
}

}  // namespace

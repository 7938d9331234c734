// The Tresmolina panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::F;
using zylma::testing::ProgramaVista;

namespace {

TEST(TresmolinaView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf = zylma::testing::ConfiguracionVista("101111000", "12345", 6);
    conf[0] = "Troncal de conmutador";
    conf[3] = "Tiempo de duración para llamadas prohibidas";
    conf[5] = "Números de teléfono";
    conf[6] = "Tiempo de duración para llamadas libres";
    ProgramaVista v(folder.path());
    folder.writeConfig("Tresmolinas", "30", conf);
    std::string keys;
    for (int k = 0; k < 24; ++k) keys += (k % 5 == 0 ? std::string("2") + char('1' + k % 9) + "345F" : F(6));
    const std::string d = "0001" "1A3A5F" "300600" "000102" "000300" "020505" + ("5551234" + F(9)) +
                          ("B1A" + F(13)) + F(16) + ("99887766554433" + F(2)) + "1A3A5F" + keys;
    std::string mapa = "061E09" + d.substr(0, 122) + "00" "45" + d.substr(122) + "FF" "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("06"));
    v.lee(8, mapa);
    EXPECT_EQ(v.w().ZylTexResCla->text(), "10305");
    ASSERT_TRUE(qt::grabForm(v.w(), zylma::testing::Captura("tresmolina-panel.png")));
    v.esVisible("ZylTxtTreClv", 23);
}

}  // namespace

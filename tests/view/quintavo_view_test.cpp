// The Quintavo panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

TEST(QuintavoView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions and defaults the installation kit gives this model.
    records::Record conf = zylma::testing::ConfiguracionVista("101111000", "12345", 6);
    conf[0] = "Troncal de conmutador";
    conf[2] = "Número de llamadas permitidas";
    conf[3] = "Número de llamadas permitidas";
    conf[4] = "Tiempo de duración";
    conf[5] = "Tiempo de duración";
    conf[20] = "0";
    conf[21] = "7";
    conf[55] = "100000000";
    folder.writeConfig("Quintavo", "15", conf);
    ProgramaVista v(folder.path());
    // Key 12345, restrictions 3 and 5, trunk, 7 local digits, the six settings, memories 01 and
    // 05 (the latter across the blocks) and two operation keys.
    std::string b1 = "021509" "0001" "12345F" "14" "03" "07" "00" "000102" "000003" "000100" "000005" "000003"
                     "020505" "5551234FFFFFFFFF" + std::string(48, 'F') + "0445";
    std::string b2 = "55667788FFFF" "12345F" "11111F" "2FFFFF" "FFFFFF" "54321F" "6E" + std::string(84, '0');
    std::string mapa = b1 + "00" "45" + b2 + "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("02"));
    v.lee(6, mapa);
    EXPECT_EQ(v.w().findAs<forms::TextBox>("ZylTexQuiNumTel", 4)->text(), "044555667788");
    const std::string png = zylma::testing::Captura("quintavo-panel.png");
    ASSERT_TRUE(qt::grabForm(v.w(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTexQuiSMNP", "ZylTexQuiLDT", "ZylComQuiDLL", "ZylCmdQuiLDB"}) v.esVisible(nombre);
}

}  // namespace

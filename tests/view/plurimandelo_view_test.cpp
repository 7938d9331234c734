// The Plurimandelo panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

TEST(PlurimandeloView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions the installation kit gives this model.
    const char* campos[] = {
        "Tiempo de duración para llamadas prohibidas", "Tiempo de duración para llamadas libres",
        "Dígitos para salir del conmutador", "Números que inicien en 031", "Números que inicien en 020",
        "Números que inicien en 030", "Números que inicien en 040", "Números que inicien en 050",
        "Números que inicien en 06X", "Números que inicien en 07X", "Números que inicien en 08X",
        "Números que inicien en 090", "01 Lada teléfono a teléfono", "001 Larga distancia a Canadá y EUA",
        "00X Larga distancia mundial", "015 Larga distancia metropolitana", "01800 Llamadas por cobrar",
        "01800/881/888 Por cobrar a EUA y Canadá",
    };
    records::Record conf = zylma::testing::ConfiguracionVista("111111000", "1234", 6);
    for (int i = 0; i < 18; ++i) conf[i] = campos[i];
    folder.writeConfig("Plurimandelo", "30", conf);
    ProgramaVista v(folder.path());
    std::string mapa = "031E090001" "1A3A" "00" "090B0A" "3010" "420705" "00030A" "0A0A05" + std::string(84, 'F') +
                       "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("03"));
    v.lee(4, mapa);
    EXPECT_EQ(v.w().findAs<forms::TextBox>("ZylTexPluCon")->text(), "9*0");
    const std::string png = zylma::testing::Captura("plurimandelo-panel.png");
    ASSERT_TRUE(qt::grabForm(v.w(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTexPluDurP", "ZylTexPluDurL", "ZylTexPluCon"}) v.esVisible(nombre);
}

}  // namespace

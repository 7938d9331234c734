// The Sonobrisa panel as a technician sees it after a read.
#include "modelos_view_fixture.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

TEST(SonobrisaView, PanelAfterARead) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions the installation kit gives this model.
    records::Record conf = zylma::testing::ConfiguracionVista("100100100", "12*34", 9);
    conf[0] = "Código de autorización";
    conf[1] = "Dígito de alerta";
    conf[2] = "Marcación por tonos";
    conf[3] = "Bloqueo de grabación";
    folder.writeConfig("Sonobrisa", "12", conf);
    ProgramaVista v(folder.path());
    std::string mapa = "040C090001" "010A0B0304" "050A0B0A08" "05" "59" "0A0402";
    mapa.resize(130, 'F');
    v.lee(1, mapa + "03FE");
    EXPECT_EQ(v.w().findAs<forms::TextBox>("ZylTxtSonAut")->text(), "10*34");
    const std::string png = zylma::testing::Captura("sonobrisa-panel.png");
    ASSERT_TRUE(qt::grabForm(v.w(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTxtSonAut", "ZylTxtSonDigAler", "ZylTexSonNumInter", "ZylChkSonTono"}) v.esVisible(nombre);
}

}  // namespace

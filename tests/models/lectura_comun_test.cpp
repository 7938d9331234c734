// What every model's read promises alike, whatever installation the kit made: after a read the
// program still knows which model it talks to, so "&Default" shows that model's panel.
#include "modelos_fixture.h"

using namespace zylma;
using zylma::testing::ConfiguracionComun;
using zylma::testing::F;
using zylma::testing::ModeloFixture;

namespace {

// The kit's installations of one model alone leave the model list's usual entry empty: the
// "Fenzo Kalmoro" installation names only button 10, the "Selvarindo Voz" only button 11.
struct Instalacion : ModeloFixture {
    void defaultTrasLectura(std::size_t campo, const char* boton, const char* carpeta, const char* version,
                            const char* panel, const std::string& mapa) {
        records::Record sw = zylma::testing::AppFolder::softwareRecord();
        for (std::size_t i = 1; i < 14; ++i) sw[i] = "";
        sw[campo] = boton;
        folder.writeSoftware(sw);
        for (const char* v : {version, campo == 9 ? "8" : "72"})
            folder.writeConfig(carpeta, v, ConfiguracionComun("111111000", "12345"));
        escribeComandos(false);
        abre(campo);
        read(mapa);
        ASSERT_TRUE(w().panel(panel)->visible());
        w().comando(7).userClick();  // "&Default"
        EXPECT_TRUE(w().panel(panel)->visible());
        EXPECT_FALSE(p().EquipoActual.empty());
    }
};

TEST_F(Instalacion, FenzoKalmoroDefaultAfterAReadShowsItsPanel) {
    // A Fenzo of firmware 8: model "0A", version 08, key 12345 and filler.
    std::string fenzo = "0A08090001" "12345F";
    fenzo.resize(128, 'F');
    fenzo += "00" "45" + F(128) + "00" "03FE";
    codec::RecalculaSumas(fenzo, *codec::BuscaModelo("0:"));
    defaultTrasLectura(9, "Fenzo Kalmoro", "Fenzo", "8", "ZylFraFen", fenzo);
}

TEST_F(Instalacion, SelvarindoVozDefaultAfterAReadShowsItsPanel) {
    // A Selvarindo Con Voz (version "02"): its own short frame, key 1234 at 14, 16, 18, 20.
    std::string selvarindo = "0802090001" "0A" "01020304";
    selvarindo.resize(132, 'F');
    selvarindo += "03FE";
    defaultTrasLectura(10, "Selvarindo Con voz", "Selvarindo", "02", "ZylFraSvd", selvarindo);
}

}  // namespace

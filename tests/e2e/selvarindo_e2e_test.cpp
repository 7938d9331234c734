// A simulated Selvarindo of each variant read over a real pseudo-terminal and programmed the only
// way it is: setting by setting, with remote commands that a later read shows.
#include "modelos_e2e_fixture.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct SelvarindoE2E : ModeloE2E {
    void boot(int version) {
        folder.writeSoftware(AppFolder::softwareRecord());
        for (const char* v : {"72", "02"}) {
            records::Record conf(57);
            conf[20] = "0";
            conf[21] = "1357";
            conf[22] = "0";
            conf[40] = "000000000";
            conf[43] = "9999";
            conf[55] = "000000000";
            folder.writeConfig("Selvarindo", v, conf);
        }
        escribeComandos();
        sim::Options o;
        o.model = "08";
        o.version = version;
        conecta(o, 7);
    }
    forms::CheckBox& num9() { return *w().findAs<forms::CheckBox>("ZylFraSvdNum9"); }
    forms::TextBox& salida() { return *w().findAs<forms::TextBox>("ZylTxtSvdClvSal"); }
    void changeKey(const std::string& nueva) {
        w().ZylTexResCla->userDblClick();
        ZylForCamCla& v = p().ventana<ZylForCamCla>();
        v.ZylTextCanCka->userType(nueva);
        v.zylCmbCamCla->userClick();
    }
};

TEST_F(SelvarindoE2E, SinVozSettingsReachTheDeviceAndAReadShowsThem) {
    boot(72);
    read();
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Sin Voz");
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_EQ(salida().text(), "0000");
    EXPECT_EQ(num9().value(), 0);
    EXPECT_FALSE(w().comando(4).enabled());

    num9().userClick();  // ticked, then sent alone
    host().popupChoices.push_back("mnuEnviar");
    num9().userPress(forms::MouseButton::Right);
    sendPending("#5,1234,9f");

    salida().setText("2468");
    host().popupChoices.push_back("mnuEnviar");
    salida().userDblClick();
    sendPending("#3,1234,2468f");

    changeKey("4321");
    sendPending("#2,1234,4321f");

    line->stop();
    const std::string img = line->device().image();
    EXPECT_EQ(img.substr(12, 2), "09");
    EXPECT_EQ(img.substr(14, 16), "0403020102040608");
    line->start();

    num9().setValue(0);
    salida().setText("1111");
    read();
    EXPECT_EQ(num9().value(), 1);
    EXPECT_EQ(salida().text(), "2468");
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
}

TEST_F(SelvarindoE2E, ConVozKeyChange) {
    boot(2);
    read();
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Con Voz");
    EXPECT_EQ(w().ZylTexResFirm->text(), "02");
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_FALSE(salida().visible());
    changeKey("5678");
    sendPending("#2,1234,5678f");
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "5678");
}

}  // namespace

// A simulated Selvarindo of each variant read over a real pseudo-terminal and programmed the only
// way it is: setting by setting, with remote commands that a later read shows.
#include "sim_line.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/models/modelos.h"
#include "zylma/sim/comandos.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::LiveProgram;
using zylma::testing::SimLine;

namespace {

struct SelvarindoE2E : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<LiveProgram> prog;

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
        const auto& k = sim::ComandosKit();
        folder.writeCommands({{"Lectura", k.lectura}, {"Escritura", k.escritura}});
        sim::Options o;
        o.model = "08";
        o.version = version;
        line = std::make_unique<SimLine>(o);
        prog = std::make_unique<LiveProgram>(folder.path(), line->path());
        models::RegistraModelos(prog->programa->modelos());
        w().ZylCmd[7]->userClick();
    }
    Programa& p() { return *prog->programa; }
    ZylForPri& w() { return p().pri(); }
    forms::TestHost& host() { return prog->host; }
    forms::CheckBox& num9() { return *w().findAs<forms::CheckBox>("ZylFraSvdNum9"); }
    forms::TextBox& salida() { return *w().findAs<forms::TextBox>("ZylTxtSvdClvSal"); }
    void read() {
        w().comando(3).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return !w().TimerEC->timerEnabled() || !host().messages.empty(); }));
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
    }
    void sendPending(const std::string& expected) {
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == expected; }));
        host().pump(100);
    }
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

// A simulated Sonobrisa read, edited, written and read again over a real pseudo-terminal, and
// remote commands that the device applies.
#include "modelos_e2e_fixture.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/monitor.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct SonobrisaE2E : ModeloE2E {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf = zylma::testing::ConfiguracionComun("100100100", "99*99");
        for (int i = 0; i < 4; ++i) conf[i] = "Campo " + std::to_string(i);
        conf[20] = "11*11";
        conf[21] = "1";
        conf[22] = "0";
        conf[23] = "0";
        folder.writeConfig("Sonobrisa", "12", conf);
        escribeComandos();
        sim::Options o;
        o.model = "04";
        o.version = 12;
        o.strict = true;
        conecta(o, 1);
    }
    forms::CheckBox& casilla(const char* n) { return *w().findAs<forms::CheckBox>(n); }
};

TEST_F(SonobrisaE2E, EditWriteAndReadBack) {
    read();
    // The factory device: Aut code 00*00, key 12*34, no alert digit, nothing on.
    EXPECT_EQ(w().ZylTexResCla->text(), "12*34");
    EXPECT_EQ(caja("ZylTxtSonAut").text(), "00*00");
    EXPECT_EQ(caja("ZylTxtSonDigAler").text(), "");
    EXPECT_EQ(caja("ZylTexSonNumInter").text(), "000");

    caja("ZylTxtSonAut").setText("");
    caja("ZylTxtSonAut").userType("70*85");
    caja("ZylTxtSonDigAler").userType("#");
    caja("ZylTexSonNumInter").setText("");
    caja("ZylTexSonNumInter").userType("42");
    casilla("ZylChkSonTono").userClick();
    w().ZylChkRes[0]->userClick();
    w().ZylChkRes[6]->userClick();
    w().ZylTexResCla->setText("");
    w().ZylTexResCla->userType("50*60");
    ASSERT_NO_FATAL_FAILURE(write());

    // Byte by byte in the device (map positions from 1).
    const std::string img = deviceImage();
    EXPECT_EQ(img.substr(10, 10), "070A0B0805");  // 11-20 Aut code, "A" for 0, "B" for "*"
    EXPECT_EQ(img.substr(20, 10), "050A0B060A");  // 21-30 key
    EXPECT_EQ(img.substr(30, 2), "0C");           // 31-32 alert digit "#"
    EXPECT_EQ(img.substr(32, 2), "29");           // 33-34 tone; restrictions 7 and 1
    EXPECT_EQ(img.substr(34, 6), "0A0402");       // 35-40 interventions 042

    casilla("ZylChkSonTono").setValue(0);
    caja("ZylTexSonNumInter").setText("");
    w().ZylTexBan->setText("000000000");
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "50*60");
    EXPECT_EQ(caja("ZylTxtSonAut").text(), "70*85");
    EXPECT_EQ(caja("ZylTxtSonDigAler").text(), "#");
    EXPECT_EQ(caja("ZylTexSonNumInter").text(), "042");
    EXPECT_EQ(casilla("ZylChkSonTono").value(), 1);
    EXPECT_EQ(w().ZylTexBan->text(), "1000001");
}

TEST_F(SonobrisaE2E, RemoteCommandsReachTheDeviceAndAReadShowsThem) {
    read();
    ASSERT_EQ(w().ZylChkRes[3]->value(), 0);
    host().popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[3]->userPress(forms::MouseButton::Right);
    sendPending("1,2,*,3,4,7,f");

    caja("ZylTxtSonAut").setText("45*67");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTxtSonAut").userDblClick();
    sendPending("1,2,*,3,4,2,4,5,*,6,7,f");

    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("21*43");
    v.zylCmbCamCla->userClick();
    sendPending("1,2,*,3,4,3,2,1,*,4,3,f");

    caja("ZylTxtSonAut").setText("");
    w().ZylTexResCla->setText("99*99");
    read();
    EXPECT_EQ(w().ZylChkRes[3]->value(), 1);
    EXPECT_EQ(caja("ZylTxtSonAut").text(), "45*67");
    EXPECT_EQ(w().ZylTexResCla->text(), "21*43");
}

}  // namespace

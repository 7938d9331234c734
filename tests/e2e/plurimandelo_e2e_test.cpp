// A simulated Plurimandelo read, edited, written and read again over a real pseudo-terminal, and
// a remote command that the device applies.
#include "modelos_e2e_fixture.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/monitor.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct PlurimandeloE2E : ModeloE2E {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf = zylma::testing::ConfiguracionComun("111111000", "1111");
        for (int i = 0; i < 18; ++i) conf[i] = "Campo " + std::to_string(i);
        conf[20] = "005";
        conf[21] = "180";
        conf[22] = "9";
        for (int i = 23; i < 38; ++i) conf[i] = "0";
        folder.writeConfig("Plurimandelo", "30", conf);
        escribeComandos();
        sim::Options o;
        o.model = "03";
        o.strict = true;
        conecta(o, 4);
    }
    forms::CheckBox& prefijo(int i) { return *w().findAs<forms::CheckBox>("ZylChkPluResNum0XX", i); }
    forms::CheckBox& servicio(int i) { return *w().findAs<forms::CheckBox>("ZylChkPluResLarDis", i); }
};

TEST_F(PlurimandeloE2E, EditWriteAndReadBack) {
    read();
    // The factory device: key 1234, no trunk digits, free calls 180, prohibited calls 5.
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "");
    EXPECT_EQ(caja("ZylTexPluDurL").text(), "180");
    EXPECT_EQ(caja("ZylTexPluDurP").text(), "005");

    w().ZylChkRes[1]->userClick();
    w().ZylChkRes[5]->userClick();
    prefijo(4).userClick();
    servicio(0).userClick();
    servicio(4).userClick();
    caja("ZylTexPluCon").userType("0*");
    caja("ZylTexPluDurL").setText("");
    caja("ZylTexPluDurL").userType("60");
    caja("ZylTexPluDurP").setText("");
    caja("ZylTexPluDurP").userType("255");
    w().ZylTexResCla->setText("");
    w().ZylTexResCla->userType("4301");
    ASSERT_NO_FATAL_FAILURE(write());

    // Byte by byte in the device (map positions from 1).
    const std::string img = deviceImage();
    EXPECT_EQ(img.substr(6, 4), "0001");          // 7-10 modifier
    EXPECT_EQ(img.substr(10, 4), "43A1");         // 11-14 key, the device's "A" for 0
    EXPECT_EQ(img.substr(14, 2), "00");           // 15-16
    EXPECT_EQ(img.substr(16, 6), "0A0B0F");       // 17-22 trunk digits "0", "*", none
    EXPECT_EQ(img.substr(22, 4), "0006");         // 23-26 restrictions 2 and 6
    EXPECT_EQ(img.substr(26, 6), "020402");       // 27-32 group 4; services 0 and 4
    EXPECT_EQ(img.substr(32, 6), "0A060A");       // 33-38 free calls 060
    EXPECT_EQ(img.substr(38, 6), "020505");       // 39-44 prohibited calls 255
    EXPECT_EQ(img.substr(44, 84), std::string(84, 'F'));
    EXPECT_TRUE(codec::SumasCorrectas(img, *codec::BuscaModelo("03")));

    caja("ZylTexPluCon").setText("9");
    w().ZylTexBan->setText("000000");
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "4301");
    EXPECT_EQ(w().ZylTexBan->text(), "010001");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "0*");
    EXPECT_EQ(caja("ZylTexPluDurL").text(), "060");
    EXPECT_EQ(caja("ZylTexPluDurP").text(), "255");
    EXPECT_EQ(prefijo(4).value(), 1);
    EXPECT_EQ(servicio(0).value(), 1);
    EXPECT_EQ(servicio(4).value(), 1);
    EXPECT_EQ(servicio(1).value(), 0);
}

TEST_F(PlurimandeloE2E, RemoteCommandsReachTheDeviceAndAReadShowsThem) {
    read();
    const std::string clave = w().ZylTexResCla->text();
    servicio(3).setValue(1);
    host().popupChoices.push_back("mnuEnviar");
    servicio(3).userPress(forms::MouseButton::Right);
    sendPending("#61," + clave + ",9");

    caja("ZylTexPluCon").setText("9#1");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTexPluCon").userDblClick();
    sendPending("#23," + clave + ",9,#,1");

    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("5678");
    v.zylCmbCamCla->userClick();
    sendPending("#20," + clave + ",5678");

    servicio(3).setValue(0);
    caja("ZylTexPluCon").setText("");
    w().ZylTexResCla->setText("1111");
    read();
    EXPECT_EQ(servicio(3).value(), 1);
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9#1");
    EXPECT_EQ(w().ZylTexResCla->text(), "5678");
}

// The kit's own default trunk code "9" is a normal one: it goes as one digit and two empty
// places, the device keeps the empty places as no digit, and a later read shows "9" again.
TEST_F(PlurimandeloE2E, AShortTrunkCodeByCommandIsStoredAndReadBack) {
    read();
    caja("ZylTexPluCon").setText("");
    caja("ZylTexPluCon").userType("9");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTexPluCon").userDblClick();
    sendPending("#23,1234,9,,");
    EXPECT_TRUE(host().messages.empty()) << host().lastMessage();
    EXPECT_EQ(deviceImage().substr(16, 6), "090F0F");  // map 17-22: "9", no digit, no digit

    caja("ZylTexPluCon").setText("");
    read();
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9");
}

}  // namespace

// A simulated Omnivelda read, edited, written and read again over a real pseudo-terminal, and
// its remote commands applied by the device.
#include "modelos_e2e_fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct OmniveldaE2E : ModeloE2E {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        records::Record conf = zylma::testing::ConfiguracionComun("111100000", "1111");
        conf[20] = "005";
        conf[21] = "180";
        conf[22] = "9";
        conf[23] = "0";
        folder.writeConfig("Omnivelda", "30", conf);
        escribeComandos({{"ResetFabrica", sim::ComandosKit().resetFabrica}});
        sim::Options o;
        o.model = "05";
        o.strict = true;
        conecta(o, 3);
    }
};

TEST_F(OmniveldaE2E, EditWriteAndReadBack) {
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_EQ(caja("ZylTexOmnDurL").text(), "180");
    EXPECT_EQ(caja("ZylTexOmnCon").text(), "9");
    EXPECT_EQ(w().ZylTexBan->text(), "0000");

    caja("ZylTexOmnDurL").setText("");
    caja("ZylTexOmnDurL").userType("45");
    caja("ZylTexOmnCon").setText("");
    caja("ZylTexOmnCon").userType("0*");
    caja("ZylTxtOmnMe4", 13).userType("12*");
    caja("ZylTxtOmnMe16", 2).userType("5512345678");
    w().ZylChkRes[1]->userClick();
    w().ZylChkRes[3]->userClick();
    ASSERT_NO_FATAL_FAILURE(write());

    // Byte by byte in the device's memory (map form, from 0).
    const std::string img = device().image();
    EXPECT_EQ(img.substr(6, 4), "0001");
    EXPECT_EQ(img.substr(10, 4), "2103");  // restriction 4 and 2, the fixed bit
    EXPECT_EQ(img.substr(14, 2), "00");
    EXPECT_EQ(img.substr(16, 6), "000405");
    EXPECT_EQ(img.substr(22, 6), "000005");
    EXPECT_EQ(img.substr(28, 6), "0A0B0F");  // "0" and "*" as the device's "A" and "B", no third digit
    EXPECT_EQ(img.substr(34, 4), "1234");
    EXPECT_EQ(img.substr(38 + 4 * 13, 4), "12BF");
    EXPECT_EQ(img.substr(126, 2), "55");  // memory 2 of sixteen opens at the end of block 1
    EXPECT_EQ(img.substr(132, 14), "12345678FFFFFF");
    EXPECT_EQ(img.substr(258, 2), "6E");
    EXPECT_TRUE(codec::SumasCorrectas(img, *codec::BuscaModelo("05")));
    line->start();

    caja("ZylTexOmnDurL").setText("1");
    caja("ZylTxtOmnMe16", 2).setText("");
    w().ZylTexBan->setText("000000");
    read();
    EXPECT_EQ(caja("ZylTexOmnDurL").text(), "045");
    EXPECT_EQ(caja("ZylTexOmnCon").text(), "0*");
    EXPECT_EQ(caja("ZylTxtOmnMe4", 13).text(), "12*");
    EXPECT_EQ(caja("ZylTxtOmnMe16", 2).text(), "5512345678");
    EXPECT_EQ(w().ZylTexBan->text(), "0101");
    EXPECT_EQ(w().findAs<forms::CheckBox>("ZylChkOmnLib")->value(), 1);  // restriction 4's bit
}

TEST_F(OmniveldaE2E, RemoteCommandsReachTheDeviceAndAReadShowsThem) {
    read();
    auto envia = [&](const std::function<void()>& gesto, const std::string& esperado) {
        host().popupChoices.push_back("mnuEnviar");
        gesto();
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == esperado; }));
        host().pump(100);
    };
    caja("ZylTxtOmnMe16", 9).userType("5551234");
    envia([&] { caja("ZylTxtOmnMe16", 9).userDblClick(); }, "#271234,23,5551234");
    caja("ZylTexOmnDurP").setText("");
    caja("ZylTexOmnDurP").userType("1");
    envia([&] { caja("ZylTexOmnDurP").userDblClick(); }, "#21,1234,1");
    line->stop();
    EXPECT_TRUE(line->device().received("#271234,23,5551234"));
    line->start();

    caja("ZylTxtOmnMe16", 9).setText("");
    caja("ZylTexOmnDurP").setText("200");
    read();
    EXPECT_EQ(caja("ZylTxtOmnMe16", 9).text(), "5551234");
    EXPECT_EQ(caja("ZylTexOmnDurP").text(), "001");
}

// A trunk code of one or two digits goes as its digits and empty places; the device keeps an
// empty place as no digit, and a later read shows the code as typed.
TEST_F(OmniveldaE2E, ShortTrunkCodesByCommandAreStoredAndReadBack) {
    read();
    struct Case {
        const char *codigo, *enviado, *lugares;
    };
    for (const Case& c : {Case{"9", "#23,1234,9,,", "090F0F"}, Case{"12", "#23,1234,1,2,", "01020F"}}) {
        const std::string codigo = c.codigo;
        SCOPED_TRACE(codigo);
        caja("ZylTexOmnCon").setText("");
        caja("ZylTexOmnCon").userType(codigo);
        host().popupChoices.push_back("mnuEnviar");
        caja("ZylTexOmnCon").userDblClick();
        sendPending(c.enviado);
        EXPECT_TRUE(host().messages.empty()) << host().lastMessage();
        EXPECT_EQ(deviceImage().substr(28, 6), c.lugares);  // map 29-34, one digit per byte

        caja("ZylTexOmnCon").setText("");
        read();
        EXPECT_EQ(caja("ZylTexOmnCon").text(), codigo);
    }
}

}  // namespace

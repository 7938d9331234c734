// A simulated Quintavo read, edited, written and read again over a real pseudo-terminal, and
// one of its remote commands applied by the device.
#include "modelos_e2e_fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"
#include "grupo2/quintavo.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct QuintavoE2E : ModeloE2E {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf(57);
        conf[0] = "Troncal de conmutador";
        conf[20] = "0";
        conf[21] = "7";
        conf[22] = "010";
        conf[23] = "005";
        conf[24] = "003";
        conf[25] = "003";
        conf[26] = "000";
        conf[27] = "000";
        conf[40] = "101111000";
        conf[43] = "12345";
        conf[55] = "100000000";
        folder.writeConfig("Quintavo", "15", conf);
        escribeComandos();
        sim::Options o;
        o.model = "02";
        o.version = 15;
        o.strict = true;
        conecta(o, 6);
    }
};

TEST_F(QuintavoE2E, EditWriteAndReadBack) {
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    EXPECT_EQ(w().ZylTexResFirm->text(), "15");
    EXPECT_EQ(caja("ZylTexQuiSMNP").text(), "010");
    EXPECT_EQ(w().ZylTexBan->text(), "100000");

    caja("ZylTexQuiSMT").setText("");
    caja("ZylTexQuiSMT").userType("45");
    caja("ZylTexQuiNumTel", 4).userType("55512345678*");
    caja("ZylTexQuiClv", 3).userType("999");
    w().ZylChkRes[4]->userClick();  // restriction 5 on
    ASSERT_NO_FATAL_FAILURE(write());

    // In the device, byte by byte: key, nibble B with restriction 5, nibble A with the fixed
    // bit, the metered-service time 0 4 5, memory 05 across the blocks, operation key #04.
    const std::string img = device().image();
    EXPECT_EQ(img.substr(10, 6), "12345F");
    EXPECT_EQ(img.substr(16, 4), "0401");
    EXPECT_EQ(img.substr(21, 1), "7");
    EXPECT_EQ(img.substr(48, 6), "000405");
    EXPECT_EQ(img.substr(124, 4), "5551");
    EXPECT_EQ(img.substr(128, 4), codec::SumaVerificacion(img.substr(0, 128)) + "45");
    EXPECT_EQ(img.substr(132, 12), "2345678BFFFF");
    EXPECT_EQ(img.substr(144, 6), "12345F");
    EXPECT_EQ(img.substr(162, 6), "999FFF");
    EXPECT_TRUE(codec::SumasCorrectas(img, *codec::BuscaModelo("02")));
    line->start();

    caja("ZylTexQuiSMT").setText("1");
    caja("ZylTexQuiNumTel", 4).setText("");
    w().ZylTexBan->setText("000000");
    read();
    EXPECT_EQ(caja("ZylTexQuiSMT").text(), "045");
    EXPECT_EQ(caja("ZylTexQuiNumTel", 4).text(), "55512345678*");
    EXPECT_EQ(caja("ZylTexQuiClv", 3).text(), "999");
    EXPECT_EQ(w().ZylTexBan->text(), "100010");
}

TEST_F(QuintavoE2E, RemoteCommandChangesTheDevice) {
    read();
    caja("ZylTexQuiLDNP").setText("7");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTexQuiLDNP").userDblClick();
    host().advance(5000);
    ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == "*812345,7f"; }));
    EXPECT_TRUE(device().received("*812345,7f"));
    line->start();
    caja("ZylTexQuiLDNP").setText("1");
    read();
    EXPECT_EQ(caja("ZylTexQuiLDNP").text(), "007");
}

}  // namespace

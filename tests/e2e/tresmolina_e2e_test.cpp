// A simulated Tresmolina read, edited, written and read again over a real pseudo-terminal, and
// a remote command the device applies.
#include "modelos_e2e_fixture.h"
#include "grupo2/fenzo.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct TresmolinaE2E : ModeloE2E {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf(57);
        conf[20] = "0";
        conf[23] = "005";
        conf[26] = "180";
        conf[27] = "000";
        conf[40] = "101111000";
        conf[43] = "11111";
        conf[55] = "000000000";
        folder.writeConfig("Tresmolinas", "30", conf);
        escribeComandos();
        sim::Options o;
        o.model = "06";
        o.strict = true;
        conecta(o, 8);
    }
};

TEST_F(TresmolinaE2E, EditWriteAndReadBack) {
    ASSERT_NO_FATAL_FAILURE(read());
    ASSERT_EQ(w().ZylTexResCla->text(), "12345");
    caja("ZylTexTreNumTel", 3).userType("0444");
    caja("ZylTxtTreClv", 2).userType("44");    // #04, end of block 1
    caja("ZylTxtTreClv", 23).userType("2525");  // #25, end of block 2
    caja("ZylTxtTreCon").setText("12");
    w().ZylChkRes[5]->userClick();  // restriction 6
    ASSERT_NO_FATAL_FAILURE(write());
    const std::string datos = p().ImagenEnvio;
    ASSERT_EQ(datos.size(), 249u);

    const std::string img = device().image();
    for (std::size_t i = 1; i < datos.size(); ++i)  // all but the closing "f"
        // The device keeps a written "0" of its keys and memories as its digit "A".
        ASSERT_TRUE(models::MismoEnEquipo(std::string(1, datos[i - 1]), img.substr(models::fenzo::PosicionMapa(i) - 1, 1))) << i;
    EXPECT_EQ(img.substr(88, 16), "A444FFFFFFFFFFFF");  // memory 04 at map 89, the typed "0" as the device's "A"
    EXPECT_EQ(img.substr(122, 6), "44FFFF");             // #04 at map 123
    EXPECT_EQ(img.substr(252, 6), "2525FF");             // #25 at map 253
    EXPECT_EQ(img.substr(19, 1), "4");                   // restriction 6: nibble A, value 4
    line->start();

    caja("ZylTexTreNumTel", 3).setText("");
    caja("ZylTxtTreClv", 23).setText("");
    ASSERT_NO_FATAL_FAILURE(read());
    EXPECT_EQ(caja("ZylTexTreNumTel", 3).text(), "0444");
    EXPECT_EQ(caja("ZylTxtTreClv", 2).text(), "44");
    EXPECT_EQ(caja("ZylTxtTreClv", 23).text(), "2525");
    EXPECT_EQ(caja("ZylTxtTreCon").text(), "012");
    EXPECT_EQ(w().ZylChkRes[5]->value(), 1);
}

TEST_F(TresmolinaE2E, RemoteCommandReachesTheDeviceAndAReadShowsIt) {
    ASSERT_NO_FATAL_FAILURE(read());
    caja("ZylTxtTreClv", 20).userType("2222");  // #22
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTxtTreClv", 20).userDblClick();
    host().advance(5000);
    const std::string expected = "#112345,22,2222f";
    ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == expected; }));
    host().pump(100);
    line->stop();
    EXPECT_TRUE(line->device().received(expected));
    line->start();
    caja("ZylTxtTreClv", 20).setText("");
    ASSERT_NO_FATAL_FAILURE(read());
    EXPECT_EQ(caja("ZylTxtTreClv", 20).text(), "2222");
}

}  // namespace

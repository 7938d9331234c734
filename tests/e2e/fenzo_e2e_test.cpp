// A simulated Fenzo of each variant read, edited, written and read again over a real
// pseudo-terminal, and a remote command the device applies.
#include "modelos_e2e_fixture.h"
#include "grupo2/fenzo.h"
#include "zylma/app/monitor.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

records::Record fenzoConfig() {
    records::Record conf = zylma::testing::ConfiguracionComun("101111000", "11111");
    conf[0] = "Troncal de conmutador";
    conf[20] = "0";
    conf[23] = "005";
    conf[26] = "180";
    return conf;
}

struct FenzoE2E : ModeloE2E {
    void boot(int version) {
        folder.writeSoftware(AppFolder::softwareRecord());
        for (const char* v : {"30", "8"}) folder.writeConfig("Fenzo", v, fenzoConfig());
        escribeComandos();
        sim::Options o;
        o.model = "0:";
        o.version = version;
        o.strict = true;  // a data part of the wrong length for the firmware is refused
        conecta(o, version >= 24 ? 5 : 9);
    }
    void editWriteAndReadBack(std::size_t length) {
        ASSERT_NO_FATAL_FAILURE(read());
        ASSERT_EQ(w().ZylTexResCla->text(), "12345");
        caja("ZylTexFenNumTel", 2).userType("5551234");
        caja("ZylTexFenNumTel", 9).userType("00");
        caja("ZylTexFenDurP").setText("");
        caja("ZylTexFenDurP").userType("15");
        caja("ZylTexFenClv", 2).userType("777");
        w().ZylChkRes[2]->userClick();  // restriction 3
        ASSERT_NO_FATAL_FAILURE(write());
        const std::string datos = p().ImagenEnvio;
        ASSERT_EQ(datos.size(), length);

        // Byte by byte in the device: data character i at map position i + 6, then i + 10.
        const std::string img = device().image();
        for (std::size_t i = 1; i <= datos.size(); ++i)
            // The device keeps a written "0" of its keys and memories as its digit "A".
            ASSERT_TRUE(models::MismoEnEquipo(std::string(1, datos[i - 1]), img.substr(models::fenzo::PosicionMapa(i) - 1, 1))) << i;
        EXPECT_EQ(img.substr(72, 16), "5551234FFFFFFFFF");  // memory 03 at map 73
        EXPECT_EQ(img.substr(16, 1), "1");                  // restriction 3: nibble C, value 1
        EXPECT_EQ(img.substr(28, 6), "000105");
        EXPECT_TRUE(line->device().log().back().find("data part stored") != std::string::npos)
            << line->device().log().back();
        line->start();

        caja("ZylTexFenNumTel", 2).setText("");
        caja("ZylTexFenDurP").setText("");
        w().ZylChkRes[2]->userClick();
        ASSERT_NO_FATAL_FAILURE(read());
        EXPECT_EQ(caja("ZylTexFenNumTel", 2).text(), "5551234");
        EXPECT_EQ(caja("ZylTexFenNumTel", 9).text(), "00");
        EXPECT_EQ(caja("ZylTexFenDurP").text(), "015");
        EXPECT_EQ(w().ZylChkRes[2]->value(), 1);
    }
};

TEST_F(FenzoE2E, TravesolinEditWriteAndReadBack) {
    boot(30);
    ASSERT_NO_FATAL_FAILURE(editWriteAndReadBack(224));
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Travesolin");
    EXPECT_EQ(caja("ZylTexFenClv", 2).text(), "777");
}

TEST_F(FenzoE2E, KalmoroEditWriteAndReadBack) {
    boot(8);
    ASSERT_NO_FATAL_FAILURE(editWriteAndReadBack(194));
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Kalmoro");
    EXPECT_FALSE(w().ZylFraFenFraClv->visible());
}

TEST_F(FenzoE2E, RemoteCommandsReachTheDeviceAndAReadShowsThem) {
    boot(30);
    ASSERT_NO_FATAL_FAILURE(read());
    auto send = [&](const std::string& expected) {
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == expected; }));
        host().pump(100);
    };
    caja("ZylTexFenNumTel", 9).userType("987");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTexFenNumTel", 9).userDblClick();
    ASSERT_NO_FATAL_FAILURE(send("#812345,0,987"));
    caja("ZylTexFenLimSerMed").setText("");
    caja("ZylTexFenLimSerMed").userType("1");
    host().popupChoices.push_back("mnuEnviar");
    caja("ZylTexFenLimSerMed").userDblClick();
    ASSERT_NO_FATAL_FAILURE(send("#9,12345,1"));
    w().ZylChkFenResC->userClick();
    host().popupChoices.push_back("mnuEnviar");
    w().ZylChkFenResC->userPress(forms::MouseButton::Right);
    ASSERT_NO_FATAL_FAILURE(send("#0,12345,9"));
    line->stop();
    EXPECT_TRUE(line->device().received("#812345,0,987"));
    line->start();

    caja("ZylTexFenNumTel", 9).setText("");
    caja("ZylTexFenLimSerMed").setText("");
    w().ZylChkFenResC->setValue(0);
    ASSERT_NO_FATAL_FAILURE(read());
    EXPECT_EQ(caja("ZylTexFenNumTel", 9).text(), "987");
    EXPECT_EQ(caja("ZylTexFenLimSerMed").text(), "001");
    EXPECT_EQ(w().ZylChkFenResC->value(), 1);
}

}  // namespace

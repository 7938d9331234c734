// A simulated Téndro read, edited, written and read again over a real pseudo-terminal.
#include "modelos_e2e_fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"
#include "grupo1/tendro.h"

#include <fstream>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ModeloE2E;

namespace {

struct TendroE2E : ModeloE2E {
    void boot(sim::Options o = {}) {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        records::Record conf = zylma::testing::ConfiguracionComun("111111000", "1111");
        folder.writeConfig("Téndro", "30", conf);
        const auto& k = sim::ComandosKit();
        escribeComandos({{"ResetFabrica", k.resetFabrica}, {"Verificar", k.verificar}, {"Colgado", k.colgado}});
        o.model = "00";
        conecta(o, 2);
    }
    bool read() {
        w().comando(3).userClick();
        return prog->waitFor([&] { return !w().TimerEC->timerEnabled() || !host().messages.empty(); });
    }
};

TEST_F(TendroE2E, ReadFillsThePanelAndStopsTheWatchdog) {
    boot();
    ASSERT_TRUE(read());
    EXPECT_TRUE(host().messages.empty()) << host().lastMessage();
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    const std::string map = device().image();
    EXPECT_EQ(w().ZylTexResFirm->text(), "30");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexResMod->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexResCla->text(), codec::CambiaAPorCero(map.substr(10, 4)));
    EXPECT_EQ(w().ZylTexBan->text().size(), 6u);
    EXPECT_EQ(p().monitor().ZylTexMon[8]->text(), map);
}

TEST_F(TendroE2E, WrongChecksumRetriesThenGivesUp) {
    sim::Options o;
    o.fault = sim::Fault::Checksum;
    boot(o);
    w().comando(3).userClick();
    ASSERT_TRUE(prog->waitFor([&] { return host().countMessages("Error de Comunicación!") == 1; }, 5000));
    std::vector<std::string> texts;
    for (auto& msg : host().messages) texts.push_back(msg.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "Error de Comunicación!"}));
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    host().advance(60000);
    EXPECT_EQ(host().messages.size(), 3u);
}

TEST_F(TendroE2E, EditWriteAndReadBack) {
    boot();
    ASSERT_TRUE(read());
    // Two restrictions and the key.
    const std::string before = w().ZylTexBan->text();
    w().ZylChkRes[1]->userClick();
    w().ZylChkRes[4]->userClick();
    w().ZylTexResCla->setText("");
    w().ZylTexResCla->userType("4321");
    const std::string flags = [&] {
        std::string f;
        for (int k = 0; k < 6; ++k) f += w().ZylChkRes[k]->value() == 1 ? '1' : '0';
        return f;
    }();
    ASSERT_NE(flags, before);
    ASSERT_NO_FATAL_FAILURE(write());

    // Byte by byte in the device: modifier, key, the "FF" of the data part, both flag bytes.
    const std::string img = device().image();
    EXPECT_EQ(img.substr(6, 4), "0001");
    EXPECT_EQ(img.substr(10, 4), "4321");
    EXPECT_EQ(img.substr(14, 2), "FF");
    EXPECT_EQ(img.substr(16, 4), models::tendro::NibblesBanderas(flags));
    EXPECT_TRUE(codec::SumasCorrectas(img, *codec::BuscaModelo("00")));
    line->start();

    w().ZylTexResCla->setText("9999");
    w().ZylTexBan->setText("000000");
    ASSERT_TRUE(read());
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
    EXPECT_EQ(w().ZylTexBan->text(), flags);

    // The recorded write comes back on "&Ult.Envío"; the kept read on "Ult.&Leído".
    w().ZylTexResCla->setText("1111");
    w().comando(6).userClick();
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
    EXPECT_EQ(p().monitor().ZylTexMon[4]->text(), std::string(138, '1'));
    w().ZylTexResCla->setText("1111");
    w().comando(5).userClick();
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
}

TEST_F(TendroE2E, FactoryResetSendsTheStoredTextUnchanged) {
    boot();
    w().comando(10).userClick();
    host().advance(5000);
    ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == p().ComandoResetFabrica; }));
    EXPECT_EQ(device().frames(), std::vector<std::string>{sim::ComandosKit().resetFabrica + "f"});
    EXPECT_FALSE(std::ifstream(records::pathUltEnvio(folder.path())).good());
}

}  // namespace

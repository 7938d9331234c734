// The link over a real pseudo-terminal with the simulator on the far end; timers on the test
// host's virtual clock.
#include "sim_line.h"
#include "zylma/app/barra.h"
#include "zylma/app/monitor.h"
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

struct LinkE2E : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<LiveProgram> prog;

    void boot(sim::Options o = {}) {
        folder.writeSoftware(AppFolder::softwareRecord());
        const auto& k = sim::ComandosKit();
        folder.writeCommands({{"Lectura", k.lectura}, {"Escritura", k.escritura}, {"ResetFabrica", k.resetFabrica},
                              {"Verificar", k.verificar}, {"Colgado", k.colgado}, {"Libre", "ABC"}});
        line = std::make_unique<SimLine>(o);
        prog = std::make_unique<LiveProgram>(folder.path(), line->path());
        prog->programa->pri();
        ASSERT_TRUE(prog->programa->puerto().isOpen()) << prog->host.lastMessage();
    }
    Programa& p() { return *prog->programa; }
    ZylForMonitor& m() { return p().monitor(); }
};

TEST_F(LinkE2E, FreeCommandFromTheMonitorIsFramedAndAcknowledged) {
    boot();
    m().ZylComMon->setText("Libre");
    m().ZylTexMon[7]->setText("ABC");
    m().ZylCmdMon[4]->userClick();
    ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == "ABC"; }));
    prog->host.pump(50);
    line->stop();
    EXPECT_EQ(line->device().frames(), std::vector<std::string>{"ABC"});
    // The frame came whole: its closing "1" before the "P".
    for (const std::string& l : line->device().log()) EXPECT_EQ(l.find("without its"), std::string::npos) << l;
    EXPECT_FALSE(p().pri().TimerEC->timerEnabled());
}

// The answer to a free read is decoded like a read's; its model is the program's once the
// image is whole and decoded.
TEST_F(LinkE2E, AFreeReadFillsTheThreeBoxesAndTheModelCode) {
    boot();
    models::RegistraModelos(p().modelos());
    m().ZylComMon->setText("Libre");
    m().ZylTexMon[7]->setText(p().ComandoLectura);  // the read text, "f" and all
    m().ZylCmdMon[4]->userClick();
    ASSERT_TRUE(prog->waitFor([&] { return m().ZylTexMon[4]->text().size() == 138; }));
    const std::string recibido = m().ZylTexMon[4]->text();
    EXPECT_EQ(recibido.substr(0, 6), "024500");
    EXPECT_EQ(p().CodigoEquipo, "00");
    EXPECT_EQ(m().ZylTexMon[5]->text().size(), 276u);
    EXPECT_EQ(m().ZylTexMon[6]->text().substr(0, 12), "-48-50-52-53");
    line->stop();
    EXPECT_EQ(recibido, line->device().wireImage());
}

TEST_F(LinkE2E, NoAnswerInTimeIsACommunicationError) {
    sim::Options o;
    o.fault = sim::Fault::Silence;
    boot(o);
    p().pri().comando(3).userClick();  // "&Leer"
    ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == p().ComandoLectura; }));
    prog->host.pump(100);
    EXPECT_TRUE(prog->host.messages.empty());
    prog->host.advance(10000);  // the software record's reply time-out
    EXPECT_EQ(prog->host.lastMessage(), "Error de Comunicación");
    EXPECT_EQ(p().pri().ZylTexEst->text(), "Zylma");
}

}  // namespace


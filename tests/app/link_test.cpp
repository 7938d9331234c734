// The serial link on the main window against a recording port: framing, reception, timers.
#include "fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

struct Link : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    std::vector<std::string> decoderCalls;

    void SetUp() override { start(AppFolder::softwareRecord()); }
    void start(const records::Record& software) {
        folder.writeSoftware(software);
        h = std::make_unique<ProgramHarness>(folder.path());
        ModeloEquipo m;
        m.nombre = "Téndro";
        m.panel = "ZylFraTen";
        m.codigo = "00";
        m.leeEquipo = [this](Programa& p) { decoderCalls.push_back(p.monitor().ZylTexMon[4]->text()); };
        h->programa->modelos().agrega(m);
        h->programa->pri();
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
    std::string& wire() { return h->port->written; }
};

TEST_F(Link, FrameGoesOutOneCharacterPerAcknowledgement) {
    IniciaTrama(p(), "ABf");
    EXPECT_EQ(wire(), "D");
    h->port->arrive("T");
    EXPECT_EQ(wire(), "DA");
    h->port->arrive("TT");
    EXPECT_EQ(wire(), "DABf");
    h->port->arrive("T");  // the fourth "T": the "1" and, at once, the "P"
    EXPECT_EQ(wire(), "DABf1P");
    EXPECT_EQ(p().IndiceEnvio, 1);
    h->port->arrive("T");  // a stray "T" starts the last frame again
    EXPECT_EQ(wire(), "DABf1PD");
}

TEST_F(Link, StrayAcknowledgementBeforeAnyCommandSendsAnEmptyFrame) {
    h->port->arrive("TT");
    EXPECT_EQ(wire(), "D1P");
}

TEST_F(Link, PositionPastTheEndEndsTheFrame) {
    IniciaTrama(p(), "ABCDE");
    h->port->arrive("TT");  // "DAB" out, next position 4
    p().IndiceEnvio = 9;     // a command changed under a frame in progress
    EnviaSerie(p(), "AB");
    EXPECT_EQ(wire(), "DABP");
    EXPECT_EQ(p().IndiceEnvio, 1);
}

TEST_F(Link, ReceptionOpensWithTheAnswersZeroAndFillsTheThreeBoxes) {
    IniciaTrama(p(), "Lf");
    h->port->arrive("TTT");  // acknowledgements before the answer are not kept
    ZylForMonitor& m = p().monitor();
    EXPECT_EQ(m.ZylTexMon[4]->text(), "");
    h->port->arrive("0245T0:");
    EXPECT_EQ(m.ZylTexMon[4]->text(), "0245T0:");
    EXPECT_EQ(m.ZylTexMon[5]->text(), "3032343554303A");  // a "T" after the "0" is kept like any other
}

// Under a read the answer's characters 5-6 are the model from the seventh character on.
// Characters no read waits for (a free frame's answer, or what comes on top of a box already
// filled) only choose the decoder: the model changes when that decoder has a whole image.
TEST_F(Link, ModelCodeComesFromCharactersFiveAndSixOnceTheSeventhArrives) {
    p().CodigoEquipo = "00";
    IniciaTrama(p(), "Xf");
    h->port->arrive("0245" "0:" "1");
    EXPECT_EQ(p().CodigoEquipo, "00");
    h->port->arrive("0245001");  // on top of the seven already there
    EXPECT_EQ(p().CodigoEquipo, "00");
    LimpiaMonitor(p());

    p().ComandoLectura = "Lf";
    EmpiezaLectura(p());
    h->port->arrive("0245" "0:");
    EXPECT_NE(p().CodigoEquipo, "0:");
    h->port->arrive("1");
    EXPECT_EQ(p().CodigoEquipo, "0:");
    ZylForMonitor& m = p().monitor();
    EXPECT_EQ(m.ZylTexMon[5]->text(), "30323435303A31");
    EXPECT_EQ(m.ZylTexMon[6]->text(), "-48-50-52-53-48-58-49");
}

TEST_F(Link, DecoderOfTheAnswersModelRunsAfterEveryKeptCharacter) {
    p().CodigoEquipo = "";
    IniciaTrama(p(), "Lf");
    h->port->arrive("T0245001");
    // Called from the seventh character on, when the code "00" is known.
    EXPECT_EQ(decoderCalls, std::vector<std::string>{"0245001"});
    h->port->arrive("2");
    EXPECT_EQ(decoderCalls.size(), 2u);
}

TEST_F(Link, AfterACompletedReadTheNextFramesAcknowledgementsAreNotGathered) {
    IniciaTrama(p(), "Lf");
    h->port->arrive("0245001");
    LecturaCompleta(p());
    LimpiaMonitor(p());
    p().CodigoEquipo = "00";
    IniciaTrama(p(), "Wf");
    h->port->arrive("TTTTTTTT");
    EXPECT_EQ(p().monitor().ZylTexMon[4]->text(), "");
    EXPECT_EQ(p().CodigoEquipo, "00");
}

TEST_F(Link, WatchdogReportsOnceAndGoesIdle) {
    w().TimerEC->setInterval(10000);
    w().ZylTexEst->setText("Leyendo");
    w().TimerEC->setTimerEnabled(true);
    // The box is up for a long time: the watchdog must not fire again under it.
    h->host.whileMessage = [&](const forms::TestHost::Message&) {
        h->host.advance(30000);
        return 0;
    };
    h->host.advance(10000);
    EXPECT_EQ(h->host.countMessages("Error de Comunicación"), 1);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_FALSE(w().TimerEC->timerEnabled());
}

TEST_F(Link, SendTimerSendsTheDataPartOrTheCommandOnceOverTheCable) {
    p().ImagenEnvio = "0001ABC";
    p().CadenaComando = "12#f";
    p().EnviaImagen = "1";
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(4999);
    EXPECT_EQ(wire(), "");
    h->host.advance(1);
    EXPECT_EQ(wire(), "D");
    EXPECT_EQ(p().ComandoSerie, "0001ABC");
    EXPECT_EQ(p().EnviaImagen, "0");
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    h->host.advance(20000);  // one shot
    EXPECT_EQ(wire(), "D");
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(5000);
    EXPECT_EQ(p().ComandoSerie, "12#f");
}

TEST_F(Link, PcInstallationHandsTheCommandToTheModemWithPauses) {
    start(AppFolder::softwareRecord("PC"));
    std::vector<std::string> dialled;
    p().alMarcarModem = [&] { dialled.push_back(p().CadenaComando); };
    p().CadenaComando = "123456789012345";
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(5000);
    p().CadenaComando = "1234567890123456789012f";
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(5000);
    // The closing "f" is no key of the line: dropped at the end.
    EXPECT_EQ(dialled, (std::vector<std::string>{"123456789012345", "1234567890123" "4567,8901,2"}));
    EXPECT_EQ(h->port, nullptr);
}

TEST_F(Link, BreakingUpForTheModem) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"123456789012345", "123456789012345"},
        {"1234567890123456", "1234567890123456"},  // 13 + one piece of 3: no pause to add
        {"12345678901234567", "12345678901234567"},
        {"123456789012345678", "12345678901234567,8"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(PartirParaMarcar(in), out) << in;
}

TEST_F(Link, SendingOnAClosedPortIsRefusedOnceAndLeavesTheLinkIdle) {
    p().puerto().close();
    w().TimerEC->setTimerEnabled(true);
    IniciaTrama(p(), "Lf");
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    h->host.advance(60000);
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(p().IndiceEnvio, 1);
}

TEST_F(Link, PortEventsShowTheirTexts) {
    const std::pair<serial::SerialEvent, const char*> cases[] = {
        {serial::SerialEvent::Break, "Puerto Serie Abierto"},  {serial::SerialEvent::Framing, "Error en Trama"},
        {serial::SerialEvent::Overrun, "Datos Perdidos"},       {serial::SerialEvent::RxOverflow, "Desbordamiento"},
        {serial::SerialEvent::Parity, "Error de Paridad"},      {serial::SerialEvent::TxFull, "Buffer de Transmisión Lleno"},
    };
    for (auto [e, text] : cases) {
        EventoPuerto(p(), e);
        EXPECT_EQ(h->host.lastMessage(), text);
    }
    std::size_t before = h->host.messages.size();
    EventoPuerto(p(), serial::SerialEvent::Other);
    EXPECT_EQ(h->host.messages.size(), before);
}

// ---- the frame monitor's command table ----

struct Monitor : Link {
    void SetUp() override {
        folder.writeCommands({{"Lectura", "R"}, {"Libre", "X1"}, {"", ""}, {"Libre", "Y2"}});
        Link::SetUp();
    }
    ZylForMonitor& m() { return p().monitor(); }
    std::vector<records::Record> table() {
        std::vector<records::Record> out;
        records::scanTable(records::pathComandos(folder.path()), records::RegistroComando,
                           [&](int, const records::Record& r) {
                               if (!r[0].empty()) out.push_back(r);
                               return true;
                           });
        return out;
    }
};

TEST_F(Monitor, ListsNamesAndShowsTheLastEntryOfTheChosenName) {
    EXPECT_EQ(m().ZylComMon->list(), (std::vector<std::string>{"Lectura", "Libre", "Libre"}));
    m().ZylComMon->userSelect(1);
    EXPECT_EQ(m().ZylTexMon[7]->text(), "Y2");
}

// No "f" is added; the frame is watched like any other until its "P", then the link is idle.
TEST_F(Monitor, FreeCommandGoesOutTrimmedWithoutFAndIsWatchedUntilItsEnd) {
    m().ZylComMon->setText("Libre");
    m().ZylTexMon[7]->setText(" X1 ");
    m().ZylCmdMon[4]->userClick();
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->port->arrive("TTT");
    EXPECT_EQ(wire(), "DX11P");
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);
}

TEST_F(Monitor, CommandWithNothingToSendSaysSo) {
    m().ZylTexMon[7]->setText("X1");
    m().ZylComMon->setText("Comandos");
    m().ZylCmdMon[4]->userClick();
    m().ZylComMon->setText("Libre");
    m().ZylTexMon[7]->setText("");
    m().ZylCmdMon[4]->userClick();
    // Blanks only: trimmed there is nothing to send, so an empty frame must not go out.
    m().ZylTexMon[7]->setText("   ");
    m().ZylCmdMon[4]->userClick();
    EXPECT_EQ(h->host.countMessages(" No existe Comando"), 3);
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);
}

TEST_F(Monitor, SaveRewritesItsOwnNameWhateverTheLastLookUpFound) {
    m().ZylComMon->setText("Lectura");
    m().ZylCmdMon[2]->userClick();  // "&Aplicar" finds "Lectura" at record 1
    m().ZylComMon->setText("Nuevo");
    m().ZylTexMon[7]->setText("N5");
    m().ZylCmdMon[1]->userClick();  // must append "Nuevo", not overwrite "Lectura"
    m().ZylComMon->setText("Lectura");
    m().ZylTexMon[7]->setText("Q");
    m().ZylCmdMon[1]->userClick();
    auto t = table();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0][0], "Lectura");
    EXPECT_EQ(t[0][1], "Q");
    EXPECT_EQ(t[3][0], "Nuevo");
    EXPECT_EQ(t[3][1], "N5");
}

TEST_F(Monitor, SaveCreatesAMissingTable) {
    std::remove(records::pathComandos(folder.path()).c_str());
    m().ZylComMon->setText("Lectura");
    m().ZylTexMon[7]->setText("R");
    m().ZylCmdMon[1]->userClick();
    auto t = table();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0][1], "R");
    EXPECT_TRUE(h->host.messages.empty());
}

// Each time the menu shows the monitor, its list is the table as it is on disk then: a save made
// in this run, or a table changed behind the program's back, shows without a restart.
TEST_F(Monitor, MenuShowsTheTableAsItIsOnDiskEachTime) {
    w().ZylMnuMon->userChoose();
    ASSERT_TRUE(m().visible());
    m().ZylComMon->setText("Nuevo");
    m().ZylTexMon[7]->setText("N5");
    m().ZylCmdMon[1]->userClick();  // "&Grabar" appends "Nuevo"
    m().userClose();
    ASSERT_FALSE(m().visible());
    w().ZylMnuMon->userChoose();
    EXPECT_EQ(m().ZylComMon->list(), (std::vector<std::string>{"Lectura", "Libre", "Libre", "Nuevo"}));
    // What the box showed stays, and the command text with it.
    EXPECT_EQ(m().ZylComMon->text(), "Nuevo");
    EXPECT_EQ(m().ZylTexMon[7]->text(), "N5");

    m().userClose();
    std::remove(records::pathComandos(folder.path()).c_str());
    folder.writeCommands({{"Colgado", "H"}});
    w().ZylMnuMon->userChoose();
    EXPECT_EQ(m().ZylComMon->list(), std::vector<std::string>{"Colgado"});
    std::remove(records::pathComandos(folder.path()).c_str());
    m().userClose();
    w().ZylMnuMon->userChoose();
    EXPECT_TRUE(m().ZylComMon->list().empty());
    EXPECT_TRUE(h->host.messages.empty());
}

TEST_F(Monitor, EraseKeepsTheCommandText) {
    m().ZylTexMon[7]->setText("X1");
    m().ZylTexMon[4]->setText("0245");
    m().ZylCmdMon[3]->userClick();
    EXPECT_EQ(m().ZylTexMon[4]->text(), "");
    EXPECT_EQ(m().ZylTexMon[7]->text(), "X1");
}

}  // namespace

namespace {

// A free command from the monitor must not cut into a write's frames.
TEST_F(Monitor, FreeCommandWaitsForAPendingWrite) {
    p().enlace.estado = EstadoEnlace::Trama2;
    m().ZylComMon->setText("Libre");
    m().ZylTexMon[7]->setText("X1");
    m().ZylCmdMon[4]->userClick();
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(h->host.messages.size(), 1u);
}

}  // namespace

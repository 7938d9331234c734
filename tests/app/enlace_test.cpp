// The link as one state machine, driven by the user's gestures against a recording port on the
// virtual clock: nothing starts while something is under way, every state ends, and a failure
// ends with one message and the link idle.
#include "fixture.h"
#include "zylma/app/barra.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/disparadores.h"
#include "zylma/app/enlace.h"
#include "zylma/app/lectura.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

// Two stand-in models. The answer of either is 8 characters: "0245", the model code, one
// character, and a last character that stands for the checksum: "1" good, anything else bad.
// A good answer shows the model; a bad one takes the model's retry step.
struct LinkStates : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    int decoderCalls = 0, decoded = 0;

    void start(const std::string& reintentos = "3") {
        records::Record sw = AppFolder::softwareRecord();
        sw[23] = reintentos;  // field 24, the reply time-out, is 10 s
        folder.writeSoftware(sw);
        folder.writeCommands({{"Lectura", "L"}, {"Escritura", "W"}, {"Colgado", "H"}, {"Verificar", "V"},
                              {"ResetFabrica", "R"}, {"Libre", "X1"}});
        decoderCalls = decoded = 0;
        h = std::make_unique<ProgramHarness>(folder.path());
        agrega("Téndro", "ZylFraTen", "00", "#1");
        agrega("Omnivelda", "ZylFraOmn", "05", "#20");
        w().ZylCmd[2]->userClick();  // the Téndro's panel
        w().ZylTexResCla->setText("1234");
        ASSERT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    }
    void agrega(const char* nombre, const char* panel, const char* codigo, const char* prefijo) {
        ModeloEquipo m;
        m.nombre = nombre;
        m.panel = panel;
        m.codigo = codigo;
        const std::string pan = panel, nom = nombre, pre = prefijo;
        m.cargaConf = [pan](Programa& p) {
            PreparaPaneles(p);
            MuestraRestricciones(p);
            p.pri().panel(pan)->setVisible(true);
        };
        m.leeEquipo = [this, nom](Programa& p) {
            ++decoderCalls;
            const std::string r = p.monitor().ZylTexMon[4]->text();
            if (r.size() != 8) return;
            if (r[7] != '1') {
                ReintentaLectura(p);
                return;
            }
            LecturaCompleta(p);
            ++decoded;
            p.EquipoActual = nom;
            p.pri().ZylTexEst->setText("Zylma");
        };
        m.preparaEnvio = [](Programa& p) {
            p.EstadoCaptura = "Activado";
            p.ImagenEnvio = "00011234FF0000";  // as long as a Téndro data part
            p.TramaEnvio = "05";
            p.MascaraEnvio = "1111";
            return true;
        };
        m.armaComando = [pre](Programa& p) {
            p.CadenaComando = pre + "," + p.pri().ZylTexResCla->text() + "," + (p.ValorComando == "1" ? "9" : "0") + "f";
            return true;
        };
        h->programa->modelos().agrega(m);
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
    ZylForMonitor& mon() { return p().monitor(); }
    std::string& wire() { return h->port->written; }
    EstadoEnlace estado() { return p().enlace.estado; }
    // The device acknowledges every character until the frame's "P" has gone out.
    void ack() {
        for (int i = 0; i < 100 && p().IndiceEnvio != 1; ++i) h->port->arrive("T");
    }
    void bar(int n) { w().comando(n).userClick(); }
    // A right press on restriction k (from 1) and "Enviar" in the pop-up.
    void remoto(int k) {
        h->host.popupChoices.push_back("mnuEnviar");
        w().ZylChkRes[k - 1]->userPress(forms::MouseButton::Right);
    }
    void libre() {
        mon().ZylComMon->setText("Libre");
        mon().ZylTexMon[7]->setText("X1");
        mon().ZylCmdMon[4]->userClick();
    }
    std::size_t nMessages() const { return h->host.messages.size(); }
};

// A replay decodes into the panel: under a read, a write or a command it would stop their
// watchdog or lose the read. It is refused with the "Espere" message, and what was under way
// goes on to its normal end.
TEST_F(LinkStates, ReplaysAreRefusedWhileTheLinkIsBusy) {
    struct Case {
        const char* name;
        std::function<void()> begin, finish;
    };
    const Case cases[] = {
        {"reading", [&] { bar(3), ack(); },
         [&] {
             h->port->arrive("02450001");
             EXPECT_EQ(decoded, 1);
         }},
        {"retrying", [&] { bar(3), ack(), h->port->arrive("02450009"); },
         [&] {
             h->port->arrive("02450001");
             EXPECT_EQ(decoded, 1);
         }},
        {"frame 1", [&] { bar(4); },
         [&] {
             ack();
             h->host.advance(5000);
             ack();
             EXPECT_EQ(wire(), "DW1P" "D00011234FF00001P");
         }},
        {"between the frames", [&] { bar(4), ack(); },
         [&] {
             h->host.advance(5000);
             ack();
             EXPECT_EQ(wire(), "DW1P" "D00011234FF00001P");
         }},
        {"frame 2", [&] { bar(4), ack(), h->host.advance(5000); },
         [&] {
             ack();
             EXPECT_EQ(wire(), "DW1P" "D00011234FF00001P");
         }},
        {"command waiting", [&] { remoto(1); },
         [&] {
             h->host.advance(5000);
             ack();
             EXPECT_EQ(wire(), "D#1,1234,0f1P");
         }},
        {"command going out", [&] { remoto(1), h->host.advance(5000); },
         [&] {
             ack();
             EXPECT_EQ(wire(), "D#1,1234,0f1P");
         }},
        {"free command", [&] { libre(); },
         [&] {
             ack();
             EXPECT_EQ(wire(), "DX11P");
         }},
    };
    for (const Case& c : cases) {
        for (int replay : {5, 6}) {
            SCOPED_TRACE(std::string(c.name) + (replay == 5 ? ", Ult.Leído" : ", Ult.Envío"));
            start();
            c.begin();
            const EstadoEnlace antes = estado();
            ASSERT_NE(antes, EstadoEnlace::Libre);
            const bool watchdog = w().TimerEC->timerEnabled(), sendTimer = w().TimerPID->timerEnabled();
            const std::string enLinea = wire();
            const int llamadas = decoderCalls;
            const std::size_t n = nMessages();
            bar(replay);
            ASSERT_EQ(nMessages(), n + 1);
            EXPECT_EQ(h->host.lastMessage().rfind("Espere", 0), 0u) << h->host.lastMessage();
            EXPECT_EQ(h->host.messages.back().title, "ZYLMA");
            EXPECT_EQ(decoderCalls, llamadas);
            EXPECT_EQ(estado(), antes);
            EXPECT_EQ(w().TimerEC->timerEnabled(), watchdog);
            EXPECT_EQ(w().TimerPID->timerEnabled(), sendTimer);
            EXPECT_EQ(wire(), enLinea);
            c.finish();
            EXPECT_EQ(estado(), EstadoEnlace::Libre);
            EXPECT_FALSE(w().TimerEC->timerEnabled());
            EXPECT_EQ(nMessages(), n + 1) << h->host.lastMessage();
        }
    }
}

// The review's lock: a replay under a write, then a device that stops acknowledging. The
// watchdog still ends the write, and the next write goes out instead of "Espere" for ever.
TEST_F(LinkStates, AWriteWhoseDeviceFallsSilentEndsAndTheNextWriteGoesOut) {
    start();
    bar(4);
    ack();
    h->host.advance(5000);  // frame 2 starts: "D"
    bar(5);
    bar(6);
    EXPECT_EQ(h->host.countMessages("Espere: la escritura anterior todavía se está enviando al equipo."), 2);
    h->host.advance(10000);  // the device never acknowledges
    EXPECT_EQ(h->host.countMessages("Error de Comunicación"), 1);
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    wire().clear();
    const std::size_t n = nMessages();
    bar(4);
    ack();
    h->host.advance(5000);
    ack();
    EXPECT_EQ(wire(), "DW1P" "D00011234FF00001P");
    EXPECT_EQ(nMessages(), n);
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
}

// While a remote command waits its 5000 ms, every other send is refused with a message that
// says a command is still being sent, and the waiting command is the one that goes out.
TEST_F(LinkStates, EveryOtherSendIsRefusedWhileACommandWaits) {
    struct Case {
        const char* name;
        std::function<void()> gesture;
    };
    const Case cases[] = {
        {"a second Enviar", [&] { remoto(2); }},
        {"&Colgar", [&] { bar(1); }},
        {"&Verificar", [&] { bar(2); }},
        {"&Leer", [&] { bar(3); }},
        {"&Enviar", [&] { bar(4); }},
        {"&Reset Fábrica", [&] { bar(10); }},
        {"Ult.&Leído", [&] { bar(5); }},
        {"&Ult.Envío", [&] { bar(6); }},
        {"the key change's Enviar",
         [&] {
             AbreCambioClave(p());
             ZylForCamCla& v = p().ventana<ZylForCamCla>();
             v.ZylTextCanCka->setText("5678");
             v.zylCmbCamCla->userClick();
         }},
        {"a free command of the monitor", [&] { libre(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        remoto(1);
        ASSERT_EQ(estado(), EstadoEnlace::ComandoPendiente);
        const std::size_t n = nMessages();
        h->host.advance(2000);
        c.gesture();
        ASSERT_EQ(nMessages(), n + 1);
        EXPECT_NE(h->host.lastMessage().find("comando anterior todavía se está enviando"), std::string::npos)
            << h->host.lastMessage();
        EXPECT_EQ(h->host.messages.back().title, "ZYLMA");
        EXPECT_EQ(wire(), "");
        EXPECT_EQ(p().CadenaComando, "#1,1234,0f");
        EXPECT_EQ(w().ZylTexResCla->text(), "1234");
        EXPECT_EQ(p().CodigoEquipo, "00");
        h->host.advance(2999);
        EXPECT_EQ(wire(), "");
        h->host.advance(1);  // 5000 ms after the first "Enviar"
        ack();
        EXPECT_EQ(wire(), "D#1,1234,0f1P");
        EXPECT_EQ(estado(), EstadoEnlace::Libre);
        h->host.advance(20000);
        EXPECT_EQ(wire(), "D#1,1234,0f1P");
        EXPECT_EQ(nMessages(), n + 1);
    }
}

// The retry box waits for the user, not for the device: left open past the time-out it gets no
// "Error de Comunicación" over it; once closed, the retry goes out under the watchdog, and a
// silent device ends the read with one message instead of "Reintento Lectura 1" for ever.
TEST_F(LinkStates, AReadRetryIsWatchedLikeTheFirstTry) {
    start("1");
    bar(3);
    ack();
    EXPECT_EQ(wire(), "DLf1P");
    h->host.whileMessage = [&](const forms::TestHost::Message& m) {
        if (m.text == "1") h->host.advance(30000);
        return 0;
    };
    h->port->arrive("02450009");
    ASSERT_EQ(h->host.countMessages("1"), 1);
    EXPECT_EQ(h->host.countMessages("Error de Comunicación"), 0);
    EXPECT_EQ(wire(), "DLf1P" "Lf");  // the read command again, unframed
    EXPECT_EQ(w().ZylTexEst->text(), "Reintento Lectura 1");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->host.advance(9999);
    EXPECT_EQ(nMessages(), 1u);
    h->host.advance(1);
    EXPECT_EQ(h->host.countMessages("Error de Comunicación"), 1);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    h->host.advance(60000);
    EXPECT_EQ(nMessages(), 2u);

    // The retries used up end the read with their own one message; the next read works.
    bar(3);
    ack();
    h->port->arrive("02450009");  // retry 1 of 1 (the counter starts again for each reading)
    h->port->arrive("02450009");
    EXPECT_EQ(h->host.countMessages("Error de Comunicación!"), 1);
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    h->host.advance(60000);
    EXPECT_EQ(nMessages(), 4u);  // "1", the watchdog's, "1" again, the retries' end
    bar(3);
    ack();
    h->port->arrive("02450001");
    EXPECT_EQ(decoded, 1);
    EXPECT_EQ(nMessages(), 4u);
}

// A read that fails leaves the model on screen known: commands, key changes and writes work
// on the panel shown (the Omnivelda's here), not on the empty code the read started with.
TEST_F(LinkStates, AFailedReadKeepsTheModelShown) {
    struct Case {
        const char* name;
        std::function<void()> fail;
        bool portStays;
    };
    const Case cases[] = {
        {"no answer", [&] { ack(), h->host.advance(10000); }, true},
        {"half an answer", [&] { ack(), h->port->arrive("024500"), h->host.advance(10000); }, true},
        {"damaged, no retries left", [&] { ack(), h->port->arrive("02450009"); }, true},
        {"a model the program has not", [&] { ack(), h->port->arrive("02457731"), h->host.advance(10000); }, true},
        {"the port gone under it", [&] { ack(), h->port->arrive("0245"), h->port->goAway(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start("0");
        w().ZylCmd[3]->userClick();  // the Omnivelda's panel
        ASSERT_EQ(p().CodigoEquipo, "05");
        bar(3);
        c.fail();
        EXPECT_EQ(nMessages(), 1u);
        EXPECT_EQ(p().CodigoEquipo, "05");
        EXPECT_EQ(p().EquipoActual, "Omnivelda");
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        EXPECT_EQ(estado(), EstadoEnlace::Libre);
        if (!c.portStays) continue;
        wire().clear();
        remoto(1);
        h->host.advance(5000);
        ack();
        EXPECT_EQ(wire(), "D#20,1234,0f1P");
        EXPECT_EQ(nMessages(), 1u);
    }

    // A model button pressed while the read runs: its panel is the one kept.
    start();
    w().ZylCmd[3]->userClick();
    bar(3);
    ack();
    w().ZylCmd[2]->userClick();  // the Téndro's
    h->host.advance(10000);
    EXPECT_EQ(p().CodigoEquipo, "00");
    EXPECT_EQ(p().EquipoActual, "Téndro");
}

// A replay that decodes nothing (a damaged kept read, a recorded mask of another length) leaves
// the model of the panel shown, as a failed read does.
TEST_F(LinkStates, AReplayThatDecodesNothingKeepsTheModelShown) {
    start();
    w().ZylCmd[3]->userClick();  // the Omnivelda's panel
    p().CodigoLectura = "00";     // the kept read: a damaged Téndro answer
    p().TramaRecibida = "02450009";
    bar(5);
    EXPECT_EQ(h->host.countMessages("Error de Comunicación!"), 1);
    EXPECT_EQ(p().CodigoEquipo, "05");
    EXPECT_EQ(p().EquipoActual, "Omnivelda");

    records::Record r{"00", "05", "10/12/2026", "111", "", "00011234FF0000", "14"};
    ASSERT_EQ(records::rewriteWhole(records::pathUltEnvio(folder.path()), records::RegistroUltEnvio, r),
              records::Status::Ok);
    bar(6);
    EXPECT_EQ(decoded, 0);
    EXPECT_EQ(p().CodigoEquipo, "05");
    EXPECT_EQ(p().EquipoActual, "Omnivelda");
    EXPECT_EQ(estado(), EstadoEnlace::Libre);

    // One that decodes takes the kept read's model: the panel now shows it.
    p().TramaRecibida = "02450001";
    bar(5);
    EXPECT_EQ(decoded, 1);
    EXPECT_EQ(p().CodigoEquipo, "00");
    EXPECT_EQ(p().EquipoActual, "Téndro");
}

// A port that goes away (an adapter unplugged) ends whatever is under way with the port's one
// message: the link idle, the port closed, nothing left waiting. The next send reports the
// closed port.
TEST_F(LinkStates, APortThatGoesAwayEndsTheOperation) {
    struct Case {
        const char* name;
        std::function<void()> begin;
    };
    const Case cases[] = {
        {"idle", [] {}},
        {"the read frame", [&] { bar(3); }},
        {"the read's answer", [&] { bar(3), ack(), h->port->arrive("024"); }},
        {"frame 1", [&] { bar(4); }},
        {"between the frames", [&] { bar(4), ack(); }},
        {"frame 2", [&] { bar(4), ack(), h->host.advance(5000); }},
        {"a command waiting", [&] { remoto(1); }},
        {"a command going out", [&] { remoto(1), h->host.advance(5000), h->port->arrive("TT"); }},
        {"a free command", [&] { libre(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        c.begin();
        const std::string enLinea = wire();
        h->port->goAway();
        ASSERT_EQ(nMessages(), 1u);
        EXPECT_NE(h->host.lastMessage().find("Se perdió el puerto serie 1"), std::string::npos)
            << h->host.lastMessage();
        EXPECT_EQ(estado(), EstadoEnlace::Libre);
        EXPECT_FALSE(w().TimerEC->timerEnabled());
        EXPECT_FALSE(w().TimerPID->timerEnabled());
        EXPECT_FALSE(p().puerto().isOpen());
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        h->host.advance(60000);
        EXPECT_EQ(nMessages(), 1u) << h->host.lastMessage();
        EXPECT_EQ(wire(), enLinea);
        bar(3);
        ASSERT_EQ(nMessages(), 2u);
        EXPECT_NE(h->host.lastMessage().find("El puerto serie no está abierto"), std::string::npos)
            << h->host.lastMessage();
        EXPECT_EQ(estado(), EstadoEnlace::Libre);
        EXPECT_FALSE(w().TimerEC->timerEnabled());
    }

    // Gone while the retry box is up: the retry is not sent into a closed port.
    start();
    h->host.whileMessage = [&](const forms::TestHost::Message& m) {
        if (m.text == "1") h->port->goAway();
        return 0;
    };
    bar(3);
    ack();
    h->port->arrive("02450009");
    EXPECT_EQ(wire(), "DLf1P");
    ASSERT_EQ(nMessages(), 2u);
    EXPECT_NE(h->host.lastMessage().find("Se perdió el puerto serie"), std::string::npos);
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    h->host.advance(60000);
    EXPECT_EQ(nMessages(), 2u);
}

// A command's frame is watched like a write's: a device that stops acknowledging it ends it
// with "Error de Comunicación", and the next command is taken.
TEST_F(LinkStates, ACommandFrameIsWatched) {
    start();
    remoto(1);
    h->host.advance(5000);
    EXPECT_EQ(wire(), "D");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->host.advance(10000);
    EXPECT_EQ(h->host.countMessages("Error de Comunicación"), 1);
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    wire().clear();
    bar(1);
    EXPECT_EQ(nMessages(), 1u);
    h->host.advance(5000);
    ack();
    EXPECT_EQ(wire(), "DHf12341P");
}

// A "T" while no frame is going out and an answer or a timer is awaited is not an
// acknowledgement: starting the last frame again then would run into the next one.
TEST_F(LinkStates, AStrayAcknowledgementSendsNothingWhileSomethingIsAwaited) {
    start();
    bar(3);
    ack();
    wire().clear();
    h->port->arrive("T");  // the read's answer is awaited
    EXPECT_EQ(wire(), "");
    h->port->arrive("02450001");
    ASSERT_EQ(decoded, 1);
    remoto(1);
    h->port->arrive("T");  // the command waits its 5000 ms
    EXPECT_EQ(wire(), "");
    h->host.advance(5000);
    ack();
    EXPECT_EQ(wire(), "D#1,1234,0f1P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();

    // With nothing under way it starts the last frame again, as the device asks, and that
    // frame is watched like any other.
    wire().clear();
    h->port->arrive("T");
    EXPECT_EQ(wire(), "D");
    EXPECT_EQ(estado(), EstadoEnlace::TramaRepetida);
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    ack();
    EXPECT_EQ(wire(), "D#1,1234,0f1P");
    EXPECT_EQ(estado(), EstadoEnlace::Libre);
    EXPECT_FALSE(w().TimerEC->timerEnabled());
}

}  // namespace

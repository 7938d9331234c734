// What the serial link costs the program.
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   cmake --build build --target bench_link
//   build/bench/link/bench_link [repetitions]
//
// 1. In-process (a recording port, no pty): the receive event, the three monitor boxes and the
//    decoder's length gate, one character at a time, for a 138-character Téndro answer and a
//    270-character two-block answer, and for a long stream that no decoder completes, measured
//    in blocks of 100 characters so any growth with the length shows.
// 2. Over a real pseudo-terminal with the simulator answering at once: "&Leer" to the Téndro
//    panel filled, wall time and the program thread's own CPU time, against the time the same
//    exchange takes on the wire at 9600 baud.
// 3. The same for a read and a write back of each two-block model (Omnivelda, both Fenzo
//    variants, Tresmolina, Quintavo).
#include "fixture.h"
#include "sim_line.h"

#include "zylma/app/enlace.h"
#include "zylma/app/lectura.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/models/modelos.h"
#include "zylma/sim/comandos.h"
#include "zylma/sim/restrictor.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::LiveProgram;
using zylma::testing::ProgramHarness;
using zylma::testing::SimLine;

namespace {

using Clock = std::chrono::steady_clock;

double nsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
}

double threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

double processCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

struct Stats {
    double median = 0, min = 0, max = 0;
};

Stats stats(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double med = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {med, v.front(), v.back()};
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "bench_link: %s\n", why.c_str());
    std::exit(1);
}

// The application folder a Téndro read needs: the software record, the Téndro's configuration
// for firmware 30 and the kit's command table.
void fillFolder(AppFolder& folder) {
    auto sw = AppFolder::softwareRecord();
    sw[23] = "2";
    folder.writeSoftware(sw);
    records::Record conf(57);
    conf[40] = "111111000";
    conf[43] = "1111";
    for (int k = 0; k < 9; ++k) conf[45 + k] = "Restricción " + std::to_string(k + 1);
    conf[55] = "000000000";
    folder.writeConfig("Téndro", "30", conf);
    const auto& k = sim::ComandosKit();
    folder.writeCommands({{"Lectura", k.lectura}, {"Escritura", k.escritura}, {"ResetFabrica", k.resetFabrica},
                          {"Verificar", k.verificar}, {"Colgado", k.colgado}});
}

// The answer a simulated device of the model gives to a read.
std::string answerOf(const std::string& model) {
    sim::Options o;
    o.model = model;
    std::string error;
    auto d = sim::Restrictor::create(o, error);
    if (!d) fail("simulator: " + error);
    return d->wireImage();
}

// A decoder for a two-block answer with only what every decoder does before its own fields: the
// length gate, the checksums and the end of the reading. The panel work of a real unit is the
// Téndro's part of the figures.
ModeloEquipo twoBlockStandIn() {
    ModeloEquipo m;
    m.nombre = "Omnivelda";
    m.panel = "ZylFraOmn";
    m.codigo = "05";
    m.leeEquipo = [](Programa& p) {
        const codec::ModeloTrama& t = *codec::BuscaModelo("05");
        if (!LecturaLista(p, t)) return;
        if (!codec::SumasCorrectas(p.MapaLectura, t)) {
            ReintentaLectura(p);
            return;
        }
        LecturaCompleta(p);
    };
    return m;
}

// ---------------------------------------------------------------- in-process

struct InProcess {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;

    InProcess() {
        fillFolder(folder);
        h = std::make_unique<ProgramHarness>(folder.path());
        // The stand-in goes first: a look-up by code takes the first unit of that code.
        h->programa->modelos().agrega(twoBlockStandIn());
        models::RegistraModelos(h->programa->modelos());
        w().ZylCmd[2]->userClick();  // the Téndro
        if (!h->host.messages.empty()) fail("setting up the Téndro: " + h->host.lastMessage());
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }

    // "&Leer" and the acknowledgement of every frame character, so the next character that
    // arrives is the answer's first.
    void startRead() {
        h->port->written.clear();
        w().comando(3).userClick();
        for (int i = 0; i < 64; ++i) {
            const std::string& out = h->port->written;
            if (!out.empty() && out.back() == 'P') return;
            h->port->arrive("T");
        }
        fail("the read frame never ended: " + h->port->written);
    }
    // One receive event per character, as the port delivers them.
    void feed(const std::string& chars, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) h->port->arrive(std::string(1, chars[i]));
    }
};

void benchAnswer(InProcess& rig, const char* label, const std::string& answer, int reps) {
    std::vector<double> gathering, completing, whole;
    for (int r = 0; r < reps; ++r) {
        rig.startRead();
        const std::size_t last = answer.size() - 1;
        auto t0 = Clock::now();
        rig.feed(answer, 0, last);
        const double a = nsSince(t0);
        auto t1 = Clock::now();
        rig.feed(answer, last, answer.size());
        const double b = nsSince(t1);
        if (rig.w().TimerEC->timerEnabled() || !rig.h->host.messages.empty())
            fail(std::string(label) + ": the read did not complete cleanly");
        gathering.push_back(a / static_cast<double>(last));
        completing.push_back(b);
        whole.push_back((a + b) / static_cast<double>(answer.size()));
    }
    const Stats g = stats(gathering), c = stats(completing), all = stats(whole);
    std::printf("  %-28s %4zu chars: %7.0f ns/char gathering (min %.0f, max %.0f); last char + decode %8.0f ns; "
                "%7.0f ns/char over the whole answer\n",
                label, answer.size(), g.median, g.min, g.max, c.median, all.median);
}

void benchGrowth(int reps) {
    // An answer whose model code no unit knows: the reception stays open and every character
    // goes through the boxes and the decoder lookup, with nothing ever completing.
    constexpr std::size_t kLength = 5000, kBlock = 100;
    std::string stream = "024599";
    const std::string digits = "0123456789:;<=>?";
    while (stream.size() < kLength) stream += digits[stream.size() % digits.size()];
    const std::size_t marks[] = {100, 1000, 5000};
    std::vector<std::vector<double>> perMark(std::size(marks));
    for (int r = 0; r < reps; ++r) {
        InProcess rig;  // fresh boxes each run
        rig.startRead();
        std::size_t at = 0;
        for (std::size_t m = 0; m < std::size(marks); ++m) {
            rig.feed(stream, at, marks[m] - kBlock);
            auto t0 = Clock::now();
            rig.feed(stream, marks[m] - kBlock, marks[m]);
            perMark[m].push_back(nsSince(t0) / kBlock);
            at = marks[m];
        }
        if (rig.p().monitor().ZylTexMon[4]->text().size() != kLength) fail("the stream was not all kept");
    }
    std::printf("  unknown model code, 5000-character stream (ns/char over the 100 characters up to):\n");
    for (std::size_t m = 0; m < std::size(marks); ++m) {
        const Stats s = stats(perMark[m]);
        std::printf("    %5zu: %7.0f ns/char (min %.0f, max %.0f)\n", marks[m], s.median, s.min, s.max);
    }
}

// ---------------------------------------------------------------- over a pty

void benchPty(int reps) {
    AppFolder folder;
    fillFolder(folder);
    sim::Options o;
    o.model = "00";
    o.ackDelayMs = 0;
    o.answerDelayMs = 0;
    SimLine line(o);
    LiveProgram prog(folder.path(), line.path());
    models::RegistraModelos(prog.programa->modelos());
    Programa& p = *prog.programa;
    ZylForPri& w = p.pri();
    w.ZylCmd[2]->userClick();
    if (!prog.host.messages.empty()) fail("setting up the Téndro: " + prog.host.lastMessage());

    // On the wire: "D", the command, "1", "P" out; one "T" for every character up to the
    // command's end; the answer in. Ten bits a character at 9600 baud.
    const std::size_t frameChars = 1 + p.ComandoLectura.size() + 2;
    const std::size_t ackChars = 1 + p.ComandoLectura.size();
    const std::size_t answerChars = codec::BuscaModelo("00")->longitud;
    const std::size_t wireChars = frameChars + ackChars + answerChars;
    const double wireMs = static_cast<double>(wireChars) * 10.0 / 9600.0 * 1000.0;

    std::vector<double> wall, cpu, proc;
    constexpr int kWarmUp = 3;
    for (int r = 0; r < kWarmUp + reps; ++r) {
        w.ZylTexResCla->setText("9999");
        const auto t0 = Clock::now();
        const double c0 = threadCpuNs(), pc0 = processCpuNs();
        w.comando(3).userClick();
        const bool done = prog.waitFor([&] { return !w.TimerEC->timerEnabled() || !prog.host.messages.empty(); });
        const double c1 = threadCpuNs(), pc1 = processCpuNs();
        const double ns = nsSince(t0);
        if (!done || !prog.host.messages.empty() || w.ZylTexResCla->text() == "9999" ||
            w.ZylTexResFirm->text() != "30")
            fail("a read over the pty did not fill the panel" +
                 (prog.host.messages.empty() ? std::string() : ": " + prog.host.lastMessage()));
        if (r < kWarmUp) continue;
        wall.push_back(ns);
        cpu.push_back(c1 - c0);
        proc.push_back(pc1 - pc0);
    }
    const Stats sw = stats(wall), sc = stats(cpu), sp = stats(proc);
    std::printf("  wire at 9600 baud: %zu characters (%zu out, %zu acknowledgements, %zu answer) = %.1f ms\n",
                wireChars, frameChars, ackChars, answerChars, wireMs);
    std::printf("  wall time \"&Leer\" to panel filled: %8.0f us median (min %.0f, max %.0f)\n", sw.median / 1e3,
                sw.min / 1e3, sw.max / 1e3);
    std::printf("  program thread CPU:                 %8.0f us median (min %.0f, max %.0f) = %.2f%% of wire time\n",
                sc.median / 1e3, sc.min / 1e3, sc.max / 1e3, sc.median / 1e6 / wireMs * 100.0);
    std::printf("  whole process CPU (with simulator): %8.0f us median\n", sp.median / 1e3);
    std::printf("  program thread CPU per character handled: %.0f ns\n",
                sc.median / static_cast<double>(ackChars + answerChars));
}

// A read and a write of a two-block model over the pty: the program thread's CPU for each,
// against the wire time at 9600 baud. The 5000 ms the write waits before its second frame is
// the test host's virtual clock, so it costs neither wall nor CPU time here; it is added to the
// write's wire time as the user meets it.
struct DosBloques {
    const char* nombre;
    const char* codigo;
    int version;
    std::size_t boton;
    const char *carpeta, *versionConf, *clave;
};

void benchTwoBlock(const DosBloques& m, int reps) {
    AppFolder folder;
    fillFolder(folder);
    records::Record conf(57);
    conf[40] = "111111000";
    conf[43] = m.clave;
    for (int k = 0; k < 9; ++k) conf[45 + k] = "Restricción " + std::to_string(k + 1);
    conf[55] = "000000000";
    conf[21] = "7";
    conf[22] = "010";
    conf[23] = "005";
    folder.writeConfig(m.carpeta, m.versionConf, conf);
    sim::Options o;
    o.model = m.codigo;
    o.version = m.version;
    o.ackDelayMs = 0;
    o.holdOneMs = 1;
    o.answerDelayMs = 0;
    SimLine line(o);
    LiveProgram prog(folder.path(), line.path());
    models::RegistraModelos(prog.programa->modelos());
    Programa& p = *prog.programa;
    ZylForPri& w = p.pri();
    w.ZylCmd[m.boton]->userClick();
    prog.host.messages.clear();

    const double bitMs = 10.0 / 9600.0 * 1000.0;
    const std::size_t lectura = p.ComandoLectura.size();
    const double readWireMs =
        static_cast<double>((1 + lectura + 2) + (1 + lectura) + codec::BuscaModelo(m.codigo)->longitud) * bitMs;
    std::vector<double> readCpu, readWall, writeCpu, writeWall;
    std::size_t datos = 0, escritura = 0;
    for (int r = 0; r < 2 + reps; ++r) {
        auto t0 = Clock::now();
        double c0 = threadCpuNs();
        w.comando(3).userClick();
        if (!prog.waitFor([&] { return !w.TimerEC->timerEnabled() || !prog.host.messages.empty(); }) ||
            !prog.host.messages.empty())
            fail(std::string(m.nombre) + ": a read did not complete" +
                 (prog.host.messages.empty() ? std::string() : ": " + prog.host.lastMessage()));
        const double rc = threadCpuNs() - c0, rw = nsSince(t0);

        t0 = Clock::now();
        c0 = threadCpuNs();
        w.comando(4).userClick();
        const bool uno = prog.waitFor([&] { return p.enlace.estado == EstadoEnlace::EntreTramas || !prog.host.messages.empty(); });
        prog.host.advance(5000);
        const bool dos = prog.waitFor([&] { return p.enlace.estado == EstadoEnlace::Libre; }, 6000);
        const double wc = threadCpuNs() - c0, ww = nsSince(t0);
        if (!uno || !dos || !prog.host.messages.empty())
            fail(std::string(m.nombre) + ": a write did not complete" +
                 (prog.host.messages.empty() ? std::string() : ": " + prog.host.lastMessage()));
        datos = p.ImagenEnvio.size();
        escritura = p.ComandoEscritura.size() - 1;  // frame 1 goes without its "f"
        if (r < 2) continue;
        readCpu.push_back(rc);
        readWall.push_back(rw);
        writeCpu.push_back(wc);
        writeWall.push_back(ww);
    }
    // A write on the wire: frame 1 ("D", the command, "1", "P" out, one "T" per character up to
    // the command's end), then frame 2 the same way around the data part.
    const double writeWireMs =
        static_cast<double>((1 + escritura + 2) + (1 + escritura) + (1 + datos + 2) + (1 + datos)) * bitMs;
    const Stats rc = stats(readCpu), rw = stats(readWall), wc = stats(writeCpu), ww = stats(writeWall);
    std::printf("  %-17s read  %3zu chars: wire %6.1f ms; program CPU %7.0f us (%.2f%% of the wire), wall %7.0f us\n",
                m.nombre, codec::BuscaModelo(m.codigo)->longitud, readWireMs, rc.median / 1e3,
                rc.median / 1e6 / readWireMs * 100.0, rw.median / 1e3);
    std::printf("  %-17s write %3zu chars: wire %6.1f ms + 5000 ms wait; program CPU %7.0f us (%.2f%% of the wire), "
                "wall %7.0f us\n",
                m.nombre, datos, writeWireMs, wc.median / 1e3, wc.median / 1e6 / writeWireMs * 100.0, ww.median / 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? std::atoi(argv[1]) : 0;
    if (reps <= 0) reps = 200;

    std::printf("In-process port, %d repetitions, medians:\n", reps);
    {
        InProcess rig;
        benchAnswer(rig, "Téndro (\"00\")", answerOf("00"), reps);
        benchAnswer(rig, "two-block (\"05\")", answerOf("05"), reps);
    }
    benchGrowth(std::max(5, reps / 10));

    const int ptyReps = std::max(11, reps / 10);
    std::printf("Téndro read over a pty, simulator answering at once, %d reads, medians:\n", ptyReps);
    benchPty(ptyReps);

    std::printf("Two-block models over a pty, read then written back, %d rounds, medians:\n", ptyReps);
    const DosBloques dos[] = {
        {"Omnivelda", "05", 30, 3, "Omnivelda", "30", "1234"},
        {"Fenzo Travesolin", "0:", 30, 5, "Fenzo", "30", "12345"},
        {"Fenzo Kalmoro", "0:", 8, 9, "Fenzo", "8", "12345"},
        {"Tresmolina", "06", 30, 8, "Tresmolinas", "30", "12345"},
        {"Quintavo", "02", 15, 6, "Quintavo", "15", "12345"},
    };
    for (const DosBloques& m : dos) benchTwoBlock(m, ptyReps);
    return 0;
}

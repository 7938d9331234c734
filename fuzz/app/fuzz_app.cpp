// Arbitrary line input into the program's receive path: a program on the test host with the
// Téndro selected and a recording port, fed the input as received characters, with "&Leer",
// "Ult.&Leído" and the clock moved where the input says. Nothing may crash, leak or hang.
//
// Input: every byte is a received character, except 0xFF, which takes the next byte as an action:
//   0xFF          a received 0xFF
//   op & 7 == 0   the clock moves ((op >> 3) + 1) * 500 ms (the watchdog and the send timer run)
//   op & 7 == 1   "&Leer"
//   op & 7 == 2   "Ult.&Leído"
//   op & 7 == 3   while the next message box is up, the next (op >> 3) input steps run under it,
//                 as serial and timer events do under a real one (buttons cannot be pressed then)
//   otherwise     the clock moves (op >> 3) ms
#include "fixture.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/models/modelos.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace zylma;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

// One folder for the whole run: the program only reads it on this path.
const AppFolder& folder() {
    static const AppFolder* f = [] {
        static AppFolder folder;
        auto sw = AppFolder::softwareRecord();
        sw[23] = "2";
        folder.writeSoftware(sw);
        records::Record conf(57);
        conf[40] = "111111000";
        conf[43] = "1111";
        for (int k = 0; k < 9; ++k) conf[45 + k] = "Restricción " + std::to_string(k + 1);
        conf[55] = "000000000";
        folder.writeConfig("Téndro", "30", conf);
        folder.writeCommands({{"Lectura", "LEE"}, {"Escritura", "ESC"}, {"ResetFabrica", "RFA"},
                              {"Verificar", "VER"}, {"Colgado", "COL"}});
        return &folder;
    }();
    return *f;
}

// Message boxes nested inside message boxes: deep enough for any real sequence, shallow
// enough for the stack.
constexpr int kMaxDepth = 8;

struct Run {
    const uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    ProgramHarness& h;
    std::size_t underNextMessage = 0;
    int depth = 0;

    bool next(uint8_t& b) {
        if (at >= size) return false;
        b = data[at++];
        return true;
    }
    void receive(uint8_t b) {
        if (h.port) h.port->arrive(std::string(1, static_cast<char>(b)));
    }
    void step(bool underMessage) {
        uint8_t b = 0;
        if (!next(b)) return;
        if (b != 0xFF) return receive(b);
        uint8_t op = 0;
        if (!next(op)) return;
        if (op == 0xFF) return receive(op);
        app::ZylForPri& w = h.programa->pri();
        switch (op & 7) {
        case 0: h.host.advance((static_cast<std::uint32_t>(op >> 3) + 1) * 500); break;
        case 1:
            if (!underMessage) w.comando(3).userClick();
            break;
        case 2:
            if (!underMessage) w.comando(5).userClick();
            break;
        case 3: underNextMessage = op >> 3; break;
        default: h.host.advance(op >> 3); break;
        }
    }
    int whileMessage() {
        if (underNextMessage == 0 || depth >= kMaxDepth) return 0;
        std::size_t steps = underNextMessage;
        underNextMessage = 0;
        ++depth;
        while (steps-- > 0 && at < size) step(true);
        --depth;
        return 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProgramHarness h(folder().path());
    models::RegistraModelos(h.programa->modelos());
    app::ZylForPri& w = h.programa->pri();
    w.ZylCmd[2]->userClick();  // the Téndro
    if (!h.host.messages.empty() || !h.port) {
        // The harness itself is broken: every input would say nothing about the program.
        std::fprintf(stderr, "fuzz_app: setting up the Téndro failed: %s\n", h.host.lastMessage().c_str());
        std::abort();
    }

    Run run{data, size, 0, h};
    h.host.whileMessage = [&run](const forms::TestHost::Message&) { return run.whileMessage(); };
    while (run.at < size) run.step(false);
    h.host.whileMessage = nullptr;
    return 0;
}

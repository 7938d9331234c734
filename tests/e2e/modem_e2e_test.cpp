// A "PC" installation as a user drives it, through the real QRXdll.dll and the real modem
// provider, to a fake Hayes modem on a pseudo-terminal that dials at its registers' pace: the
// command-bar buttons and the longest remote command reach the telephone line whole.
#include "fake_modem.h"
#include "fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/modem.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/sim/comandos.h"
#include "zylma/winapi/services.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::FakeModem;
using zylma::testing::FakeModemSetup;
using zylma::testing::ProgramHarness;

namespace {

constexpr double kScale = 25;  // the modem's and the dialler's clock against real time

struct ModemInstallation : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<FakeModem> modem;
    std::unique_ptr<ProgramHarness> h;
    std::string locks;

    void start(FakeModemSetup setup, const char* build = QRX_STANDARD) {
        setup.scale = kScale;
        modem = std::make_unique<FakeModem>(setup);
        folder.writeSoftware(AppFolder::softwareRecord("PC"));
        // The kit's own command table, as the simulator reads it for the cable.
        const auto& k = sim::ComandosKit();
        folder.writeCommands({{"Lectura", k.lectura},
                              {"Escritura", k.escritura},
                              {"ResetFabrica", k.resetFabrica},
                              {"Verificar", k.verificar},
                              {"Colgado", k.colgado}});
        std::filesystem::copy_file(build, folder.path() + "/QRXdll.dll");
        locks = folder.path() + "/locks";
        std::filesystem::create_directory(locks);
        ::setenv("ZYLMA_TELEPHONY", TAPI_MODEM, 1);
        ::setenv("ZYLMA_MODEM", modem->path().c_str(), 1);
        ::setenv("ZYLMA_LOCK_DIR", locks.c_str(), 1);
        winapi::setDebugToStderr(false);
        auto t0 = std::chrono::steady_clock::now();
        winapi::setTickSource([t0] {
            auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
            return static_cast<std::uint32_t>(1000 + static_cast<double>(ms) * kScale);
        });
        h = std::make_unique<ProgramHarness>(folder.path());
        p().pri();
        w().ZylTexResCla->setText("1234");
    }
    void TearDown() override {
        h.reset();
        winapi::resetServices();
        for (const char* v : {"ZYLMA_TELEPHONY", "ZYLMA_MODEM", "ZYLMA_LOCK_DIR"}) ::unsetenv(v);
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
    std::vector<std::string> kzq() {
        std::vector<std::string> out;
        for (auto& m : h->host.messages) out.push_back(m.title + "|" + m.text);
        return out;
    }
};

// "&Verificar" dials its text, a pause and the key; "&Reset Fábrica" its text; the device's
// line answers busy, which tells that it took the keys.
TEST_F(ModemInstallation, VerifyAndFactoryResetAreDialledWhole) {
    FakeModemSetup busy;
    busy.result = "BUSY";
    start(busy);
    const auto& k = sim::ComandosKit();
    const std::pair<int, std::string> cases[] = {{2, k.verificar + ",1234"}, {10, k.resetFabrica}};
    std::size_t n = 0;
    for (const auto& [button, keys] : cases) {
        SCOPED_TRACE(keys);
        h->host.messages.clear();
        w().comando(button).userClick();
        h->host.advance(5000);  // the send timer: the call blocks until judged
        ASSERT_EQ(modem->dials().size(), ++n);
        EXPECT_EQ(modem->dials().back(), keys);
        EXPECT_EQ(kzq(), std::vector<std::string>{"KZQ|¡ OK !"});
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    }
    EXPECT_TRUE(modem->aborted().empty());
    EXPECT_TRUE(std::filesystem::is_empty(locks));  // the modem is given back after each call
}

// The longest remote command, broken up with pauses by the program, about 34 s of dialling:
// every key reaches the line before the far end's busy tone is judged.
TEST_F(ModemInstallation, LongKeyChangeIsNotCutInMidDial) {
    FakeModemSetup busy;
    busy.result = "BUSY";
    start(busy);
    const std::string command = "1,1,*,1,1,3,5,6,*,,7,8,,f";
    // What the program makes of it, by hand: the first 13 characters, then pieces of 4 each
    // followed by a pause, the last without; then the closing "f" dropped.
    const std::string keys = "1,1,*,1,1,3,5" ",6,*," ",,7,," "8,,";
    p().CadenaComando = command;
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(5000);
    ASSERT_EQ(modem->dials().size(), 1u);
    EXPECT_EQ(modem->dials()[0], keys);
    EXPECT_TRUE(modem->aborted().empty()) << modem->aborted()[0];
    EXPECT_EQ(kzq(), std::vector<std::string>{"KZQ|¡ OK !"});
}

// The library's box runs the program's events in both builds, and the older build's wait does
// too: a command whose send timer fires then is not dialled on top of the call; it is turned
// away with one message once the call is over.
TEST_F(ModemInstallation, CommandDuringARunningCallIsTurnedAwayOnce) {
    for (const char* build : {QRX_STANDARD, QRX_OLDER}) {
        SCOPED_TRACE(build);
        FakeModemSetup busy;
        busy.result = "BUSY";
        TearDown();
        std::filesystem::remove(folder.path() + "/QRXdll.dll");
        std::filesystem::remove_all(folder.path() + "/locks");
        start(busy, build);
        bool pressed = false;
        h->host.whileMessage = [&](const forms::TestHost::Message& m) {
            if (m.title == "KZQ" && !pressed) {
                pressed = true;
                w().comando(10).userClick();
                h->host.advance(5000);  // "&Reset Fábrica"'s send timer, inside the call
            }
            return 0;
        };
        w().comando(2).userClick();
        h->host.advance(5000);
        EXPECT_TRUE(pressed);
        ASSERT_EQ(modem->dials().size(), 1u);
        EXPECT_EQ(modem->dials()[0], sim::ComandosKit().verificar + ",1234");
        ASSERT_EQ(h->host.messages.size(), 2u) << kzq().back();
        EXPECT_EQ(kzq()[0], "KZQ|¡ OK !");
        EXPECT_EQ(h->host.messages[1].title, "ZYLMA");
        EXPECT_NE(h->host.messages[1].text.find("\"ResetFabrica\""), std::string::npos);
        h->host.advance(20000);
        EXPECT_EQ(modem->dials().size(), 1u);  // nothing kept back to go out later
    }
}

}  // namespace

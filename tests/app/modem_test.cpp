// The "PC" road of a command: what the send timer hands the modem, what it refuses before the
// library is called, the status line around the blocking call, and a command that comes while
// a call is still running.
#include "fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/modem.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

TEST(TextoParaMarcar, TheEndMarkIsAPauseInsideAndDroppedAtTheEnd) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"*#837f1234", "*#837,1234"},  // a verify text, its "f", the key
        {"*#732f", "*#732"},
        {"#1,1111,0f", "#1,1111,0"},
        {"1,1,*,1,1,3,5,6,*,,7,8,,f", "1,1,*,1,1,3,5,6,*,,7,8,,"},
        {"ff1", ",,1"},
        {"0123456789*#,", "0123456789*#,"},
        // No telephone key stands for these.
        {"VERf1234", std::nullopt},
        {"RFAf", std::nullopt},
        {"12F", std::nullopt},  // the device's filler digit
        {"12;", std::nullopt},  // would end the dial before the far end answers
        {"12 3", std::nullopt},
        {"12\xC3\xB1", std::nullopt},
        // Nothing to dial at all.
        {"f", std::nullopt},
        {",,f", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(TextoParaMarcar(in), out) << in;
}

struct ModemPath : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    struct Dial {
        std::string text, status;
        bool drawn;
    };
    std::vector<Dial> dials;
    std::function<void()> duringCall;

    void start(const std::vector<std::pair<std::string, std::string>>& commands) {
        folder.writeSoftware(AppFolder::softwareRecord("PC"));
        folder.writeCommands(commands);
        h = std::make_unique<ProgramHarness>(folder.path());
        p().pri();
        p().alMarcarModem = [this] {
            const auto& t = h->host.trace;
            bool drawn = std::find(t.begin(), t.end(), "refresh ZylForPri") != t.end();
            dials.push_back({p().CadenaComando, w().ZylTexEst->text(), drawn});
            if (duringCall) duringCall();
        };
        w().ZylTexResCla->setText("1234");
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
};

// "&Verificar" and "&Reset Fábrica" reach the modem as keys; while the call blocks the status
// line says "Marcando", drawn before the call, and "Zylma" after it.
TEST_F(ModemPath, CommandBarButtonsAreDialled) {
    start({{"Verificar", "*#837"}, {"ResetFabrica", "*#732"}});
    const std::pair<int, const char*> cases[] = {{2, "*#837,1234"}, {10, "*#732"}};
    for (auto [button, dialled] : cases) {
        SCOPED_TRACE(button);
        dials.clear();
        h->host.trace.clear();
        w().comando(button).userClick();
        h->host.advance(5000);
        ASSERT_EQ(dials.size(), 1u);
        EXPECT_EQ(dials[0].text, dialled);
        EXPECT_EQ(dials[0].status, "Marcando");
        EXPECT_TRUE(dials[0].drawn);
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    }
}

// A text the modem cannot dial is refused before the library is called, naming the command,
// and the status line does not read like a call.
TEST_F(ModemPath, UndiallableTextIsRefusedNamingTheCommand) {
    start({{"Verificar", "VER"}, {"ResetFabrica", "RFA"}});
    struct Case {
        const char* label;
        std::function<void()> send;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"verify", [this] { w().comando(2).userClick(); }, "\"Verificar\""},
        {"factory reset", [this] { w().comando(10).userClick(); }, "\"ResetFabrica\""},
        {"remote command",
         [this] {
             p().CadenaComando = "#1,12B4,0f";
             w().TimerPID->setTimerEnabled(true);
         },
         "\"#1,12B4,0f\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        h->host.messages.clear();
        c.send();
        h->host.advance(5000);
        EXPECT_TRUE(dials.empty());
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
        EXPECT_NE(h->host.messages[0].text.find(c.named), std::string::npos) << h->host.messages[0].text;
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    }
}

// The older library build runs the program's events while it waits (and the library's box
// does in both builds): a command whose time comes then is not dialled on top of the call; it
// is turned away with one message once the call is over.
TEST_F(ModemPath, CommandDuringARunningCallIsTurnedAwayOnce) {
    start({{"Verificar", "*#837"}, {"ResetFabrica", "*#732"}});
    std::size_t messagesDuringCall = 99;
    duringCall = [&] {
        duringCall = nullptr;
        w().comando(10).userClick();
        h->host.advance(5000);  // its send timer fires inside the call
        messagesDuringCall = h->host.messages.size();
    };
    w().comando(2).userClick();
    h->host.advance(5000);
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].text, "*#837,1234");
    EXPECT_EQ(messagesDuringCall, 0u);
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
    EXPECT_NE(h->host.messages[0].text.find("\"ResetFabrica\""), std::string::npos);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    // Nothing was kept back to go out later.
    h->host.advance(20000);
    EXPECT_EQ(dials.size(), 1u);
    EXPECT_EQ(h->host.messages.size(), 1u);
}

}  // namespace

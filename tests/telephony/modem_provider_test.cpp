// The modem provider under the real dialler, against a fake modem on a pseudo-terminal.
#include "fake_modem.h"
#include "zylma/telephony/hayes.h"
#include "zylma/winapi/services.h"
#include "zylma/winapi/winapi.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace zylma::testing {
namespace {

namespace hayes = zylma::telephony::hayes;
using QrxFunction = std::int32_t (*)(std::int32_t, const char*);

TEST(Hayes, DialString) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"123,4f", "123,4"},  {"*#0,,9", "*#0,,9"}, {"55F", "55"},      {"f", std::nullopt},
        {"", std::nullopt},   {"12 3", std::nullopt}, {"1f2", std::nullopt}, {"12;", std::nullopt},
    };
    for (const auto& [text, dial] : cases) EXPECT_EQ(hayes::dialString(text), dial) << text;
}

TEST(Hayes, ResultCodesBecomeCallStates) {
    struct Case {
        const char* line;
        DWORD state;
        DWORD mode;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"CONNECT 9600", LINECALLSTATE_CONNECTED, 0, false},
        {"CONNECT", LINECALLSTATE_CONNECTED, 0, false},
        {"BUSY", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY, false},
        {"7", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY, false},
        {"NO DIALTONE", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NODIALTONE, false},
        {"NO DIAL TONE", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NODIALTONE, false},
        {"NO CARRIER", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL, false},
        {"NO ANSWER", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER, false},
        {"ERROR", LINECALLSTATE_IDLE, 0, true},
        {"OK", 0, 0, false},
        {"RING", 0, 0, false},
        {"ATDT123", 0, 0, false},
    };
    for (const auto& c : cases) {
        auto change = hayes::callChange(hayes::classify(c.line));
        EXPECT_EQ(change.state, c.state) << c.line;
        EXPECT_EQ(change.mode, c.mode) << c.line;
        EXPECT_EQ(change.refused, c.refused) << c.line;
    }
}

struct Outcome {
    std::int32_t result = -1;
    std::vector<std::string> boxes;
    std::string debug;
    std::vector<std::string> commands;
    double seconds = 0;
};

// One QRX call through the modem provider; the dialler's clock runs 25 times faster than real
// time so that its 25 s limit passes in a second.
Outcome dial(const char* build, const std::vector<std::string>& dialAnswer, bool modemPresent = true) {
    FakeModem modem([&dialAnswer](const std::string& command) -> std::vector<std::string> {
        if (command.rfind("ATDT", 0) == 0) return dialAnswer;
        if (command == "ATI") return {"Fake Hayes 33600", "OK"};
        return {"OK"};
    });
    Outcome out;
    winapi::resetServices();
    winapi::setDebugToStderr(false);
    winapi::setMessageBoxService([&out](const std::string& text, const std::string& caption, unsigned) {
        out.boxes.push_back(caption + "|" + text);
        return 1;
    });
    winapi::setDebugHook([&out](const std::string& bytes) { out.debug += bytes; });
    auto t0 = std::chrono::steady_clock::now();
    winapi::setTickSource([t0] {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        return static_cast<std::uint32_t>(1000 + ms * 25);
    });
    setenv("ZYLMA_TELEPHONY", TAPI_MODEM, 1);
    setenv("ZYLMA_MODEM", modemPresent ? modem.path().c_str() : "/nonexistent/ttyACM9", 1);
    void* h = dlopen(build, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(h, nullptr) << dlerror();
    if (h == nullptr) return out;
    auto qrx = reinterpret_cast<QrxFunction>(dlsym(h, "QRX"));
    out.result = qrx(0, "123,4f");
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ::usleep(50000);  // the last command reaches the fake modem
    out.commands = modem.commands();
    winapi::resetServices();
    return out;
}

const std::string kOk = "KZQ|¡ OK !";
const std::string kError = "KZQ|¡ Error de comunicaciones !";

TEST(ModemProvider, ResultCodesDecideTheCall) {
    struct Case {
        const char* label;
        std::vector<std::string> answer;
        std::int32_t result;
        std::string text;
        bool atOnce;
    };
    const std::vector<Case> cases = {
        {"busy", {"BUSY"}, 1, "Desconectada: Ocupado", true},
        {"no dial tone", {"NO DIALTONE"}, 0, "Desconectado: No hay tono de marcado", true},
        {"connect", {"CONNECT 9600"}, 0, "Conectada!\n", false},
        {"no carrier", {"NO CARRIER"}, 0, "Sesion remota desconectada", false},
        {"no answer", {"NO ANSWER"}, 0, "Desconectada: No Contestan", false},
        {"error", {"ERROR"}, 0, "Linea desocupada\n", false},
        {"silence", {}, 0, "Marcando\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Outcome out = dial(QRX_STANDARD, c.answer);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.boxes, std::vector<std::string>{c.result == 1 ? kOk : kError});
        EXPECT_NE(out.debug.find("Name of device is: Fake Hayes 33600\n"), std::string::npos) << out.debug;
        EXPECT_NE(out.debug.find(c.text), std::string::npos) << out.debug;
        // The command string's closing "f" is no key of the telephone line.
        EXPECT_NE(std::find(out.commands.begin(), out.commands.end(), "ATDT123,4"), out.commands.end());
        // The modem goes on hook at the end, unless it refused the dial command and never left it.
        EXPECT_EQ(out.commands.back(), c.answer == std::vector<std::string>{"ERROR"} ? "ATDT123,4" : "ATH");
        if (c.atOnce) {
            EXPECT_LT(out.seconds, 0.9);
        } else {
            EXPECT_GE(out.seconds, 0.95);
        }
    }
}

TEST(ModemProvider, OlderBuildPollsTheModem) {
    Outcome out = dial(QRX_OLDER, {"BUSY"});
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kOk});
    EXPECT_NE(out.debug.find("Disconnected: Busy\n"), std::string::npos);
}

TEST(ModemProvider, NoModemNoLine) {
    Outcome out = dial(QRX_STANDARD, {"BUSY"}, false);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kError});
    EXPECT_TRUE(out.commands.empty());
}

// The older start-up's path: the provider hands the modem's answers to the registered
// callback through the thread's message pump.
std::vector<LINEMESSAGE> g_callbacks;
void onLineMessage(DWORD device, DWORD message, DWORD, DWORD p1, DWORD p2, DWORD p3) {
    g_callbacks.push_back(LINEMESSAGE{device, message, 0, p1, p2, p3});
}

TEST(ModemProvider, CallbackRegistrationGetsTheStatesThroughThePump) {
    FakeModem modem([](const std::string& command) -> std::vector<std::string> {
        if (command.rfind("ATDT", 0) == 0) return {"BUSY"};
        return {"OK"};
    });
    winapi::resetServices();
    setenv("ZYLMA_MODEM", modem.path().c_str(), 1);
    void* h = dlopen(TAPI_MODEM, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(h, nullptr) << dlerror();
    auto init = reinterpret_cast<PFN_lineInitialize>(dlsym(h, "lineInitialize"));
    auto open = reinterpret_cast<PFN_lineOpenA>(dlsym(h, "lineOpenA"));
    auto make = reinterpret_cast<PFN_lineMakeCallA>(dlsym(h, "lineMakeCallA"));
    auto shutdown = reinterpret_cast<PFN_lineShutdown>(dlsym(h, "lineShutdown"));
    ASSERT_TRUE(init && open && make && shutdown);
    HLINEAPP app = 0;
    DWORD devices = 0;
    ASSERT_EQ(init(&app, 0, &onLineMessage, "prueba", &devices), 0);
    EXPECT_EQ(devices, 1u);
    HLINE line = 0;
    ASSERT_EQ(open(app, 0, &line, 0x00010004, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr), 0);
    HCALL call = 0;
    LONG request = make(line, &call, "55f", 0, nullptr);
    ASSERT_GT(request, 0);
    g_callbacks.clear();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    auto sawBusy = [&] {
        for (const auto& m : g_callbacks)
            if (m.dwMessageID == LINE_CALLSTATE && m.dwParam1 == LINECALLSTATE_DISCONNECTED &&
                m.dwParam2 == LINEDISCONNECTMODE_BUSY && m.hDevice == call)
                return true;
        return false;
    };
    while (!sawBusy() && std::chrono::steady_clock::now() < deadline) {
        MSG msg{};
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        else ::usleep(5000);
    }
    EXPECT_TRUE(sawBusy());
    bool replied = false;
    for (const auto& m : g_callbacks)
        if (m.dwMessageID == LINE_REPLY && m.dwParam1 == static_cast<DWORD>(request) && m.dwParam2 == 0) replied = true;
    EXPECT_TRUE(replied);
    EXPECT_EQ(shutdown(app), 0);
    EXPECT_EQ(winapi::postedMessages(), 0u);
    winapi::resetServices();
}

}  // namespace
}  // namespace zylma::testing

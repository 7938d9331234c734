// The modem provider under the real dialler, against a fake modem on a pseudo-terminal.
#include "fake_modem.h"
#include "zylma/telephony/hayes.h"
#include "zylma/winapi/services.h"
#include "zylma/winapi/winapi.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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
        // The modem would not take the dial command: a number that cannot be dialled.
        {"ERROR", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS, true},
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

TEST(Hayes, RegisterAnswers) {
    const std::vector<std::pair<std::string, std::optional<unsigned>>> cases = {
        {"002", 2u}, {"95", 95u}, {" 050 ", 50u}, {"255", 255u}, {"256", std::nullopt},
        {"OK", std::nullopt}, {"", std::nullopt}, {"1234", std::nullopt}, {"0x2", std::nullopt},
    };
    for (const auto& [line, value] : cases) EXPECT_EQ(hayes::registerValue(line), value) << line;
}

struct Outcome {
    std::int32_t result = -1;
    std::vector<std::string> boxes;
    std::string debug;
    std::vector<std::string> commands;
    std::vector<std::string> dials;
    std::vector<std::string> aborted;
    double modemMs = 0;     // how long QRX took, in the modem's (and the dialler's) time
    double cpuSeconds = 0;  // processor time the calling thread spent in it
};

double threadCpu() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// One QRX call through the modem provider against a fake modem. The dialler's clock runs as
// fast as the modem's, so that its 25 s limit passes in about a second.
Outcome dial(const char* build, const char* text, FakeModemSetup setup = {}, const char* device = nullptr) {
    const double scale = setup.scale;
    FakeModem modem(setup);
    Outcome out;
    winapi::resetServices();
    winapi::setDebugToStderr(false);
    winapi::setMessageBoxService([&out](const std::string& t, const std::string& caption, unsigned) {
        out.boxes.push_back(caption + "|" + t);
        return 1;
    });
    winapi::setDebugHook([&out](const std::string& bytes) { out.debug += bytes; });
    auto t0 = std::chrono::steady_clock::now();
    winapi::setTickSource([t0, scale] {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        return static_cast<std::uint32_t>(1000 + static_cast<double>(ms) * scale);
    });
    setenv("ZYLMA_TELEPHONY", TAPI_MODEM, 1);
    setenv("ZYLMA_MODEM", device != nullptr ? device : modem.path().c_str(), 1);
    void* h = dlopen(build, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(h, nullptr) << dlerror();
    if (h == nullptr) return out;
    auto qrx = reinterpret_cast<QrxFunction>(dlsym(h, "QRX"));
    const double cpu0 = threadCpu();
    const auto started = std::chrono::steady_clock::now();
    out.result = qrx(0, text);
    out.modemMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count() * scale;
    out.cpuSeconds = threadCpu() - cpu0;
    ::usleep(50000);  // the last command reaches the fake modem
    out.commands = modem.commands();
    out.dials = modem.dials();
    out.aborted = modem.aborted();
    winapi::resetServices();
    return out;
}

const std::string kOk = "KZQ|¡ OK !";
const std::string kError = "KZQ|¡ Error de comunicaciones !";

// A short dial and the Sonobrisa key change, the longest command: 11 keys and 13 pauses.
const char* const kShort = "123,4f";
const char* const kLong = "1,1,*,1,1,3,5,6,*,,7,8,,f";

enum class Ends { AtOnce, AtLimit };

// The whole call through the real dialler, the provider and a modem that dials at its pace.
// The limits, by hand, with the modem's registers S6 = 2 s, S8 = 2 s, S11 = 95 ms: the short
// dial "123,4" takes 2000 + 4 x 190 + 2000 = 4760 ms, so its limit is 29760; the long one
// 2000 + 11 x 190 + 13 x 2000 = 30090 ms, limit 55090. With S8 = 3 s the long dial takes
// 2000 + 2090 + 39000 = 43090 ms, limit 68090.
TEST(ModemProvider, EveryOutcomeThroughAModemAtItsPace) {
    struct Case {
        const char* label;
        const char* text;
        FakeModemSetup setup;
        std::int32_t result;
        std::string cause;  // in the debug output
        Ends ends;
        double limit;
    };
    auto with = [](const char* result, unsigned afterMs = 1000) {
        FakeModemSetup s;
        s.result = result;
        s.afterMs = afterMs;
        return s;
    };
    FakeModemSetup refuses;
    refuses.refuseDial = true;
    FakeModemSetup slow;
    slow.s8 = 3;
    FakeModemSetup vanishes;
    vanishes.vanishAfterMs = 10000;
    const std::vector<Case> cases = {
        {"short dial, busy", kShort, with("BUSY"), 1, "Desconectada: Ocupado", Ends::AtOnce, 29760},
        // Busy comes 500 + 30090 - 2000 + 1000 = 29590 ms after the request: past the plain limit.
        {"long dial, busy", kLong, with("BUSY"), 1, "Desconectada: Ocupado", Ends::AtOnce, 55090},
        {"long dial, silent line", kLong, with(""), 1, "Procediendo\n", Ends::AtLimit, 55090},
        {"long dial, slower pauses", kLong, [&] { return slow; }(), 1, "Procediendo\n", Ends::AtLimit, 68090},
        {"no carrier", kShort, with("NO CARRIER"), 0, "Sesion remota desconectada", Ends::AtLimit, 29760},
        {"no answer", kShort, with("NO ANSWER"), 0, "Desconectada: No Contestan", Ends::AtLimit, 29760},
        {"no dial tone", kShort, with("NO DIALTONE"), 0, "Desconectado: No hay tono de marcado", Ends::AtOnce, 29760},
        {"dial refused", kShort, refuses, 0, "Desconectada: Direccion erronea", Ends::AtOnce, 29760},
        {"connect", kShort, with("CONNECT 9600"), 0, "Conectada!\n", Ends::AtLimit, 29760},
        {"gone mid-call", kLong, vanishes, 0, "el dispositivo ya no responde", Ends::AtLimit, 55090},
    };
    const double look = 100 * 25;  // one 100 ms look of the dialler, in modem time
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Outcome out = dial(QRX_STANDARD, c.text, c.setup);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.boxes, std::vector<std::string>{c.result == 1 ? kOk : kError});
        EXPECT_NE(out.debug.find("Name of device is: Fake Hayes 33600\n"), std::string::npos) << out.debug;
        EXPECT_NE(out.debug.find(c.cause), std::string::npos) << out.debug;
        // Busy and dial-tone detection were asked for before the dial.
        ASSERT_GE(out.commands.size(), 1u);
        EXPECT_EQ(out.commands.front(), "ATE0Q0V1X4");
        // The keys went out whole, with no closing "f" (without a dial tone none do), and
        // nothing cut them short: an abort can only come in the wait for carrier after them.
        std::string dialled = c.setup.result == "NO DIALTONE" ? "" : c.text;
        if (!dialled.empty()) dialled.pop_back();
        if (!c.setup.refuseDial && c.setup.vanishAfterMs == 0) {
            ASSERT_EQ(out.dials.size(), 1u);
            EXPECT_EQ(out.dials[0], dialled);
            for (const auto& cut : out.aborted) EXPECT_EQ(cut, dialled);
            // The modem goes on hook at the end.
            EXPECT_EQ(out.commands.back(), "ATH");
        }
        if (c.ends == Ends::AtOnce) {
            EXPECT_LT(out.modemMs, c.limit - look);
        } else {
            EXPECT_GE(out.modemMs, c.limit - look);
            EXPECT_LT(out.modemMs, c.limit + 2 * look);
        }
        // A device that went away leaves nothing to spin on: the thread sleeps between looks.
        EXPECT_LT(out.cpuSeconds, 0.5) << "of " << out.modemMs / 25000 << " s";
    }
}

TEST(ModemProvider, OlderBuildDialsTheLongCommandWhole) {
    FakeModemSetup s;
    s.result = "BUSY";
    Outcome out = dial(QRX_OLDER, kLong, s);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kOk});
    EXPECT_NE(out.debug.find("Disconnected: Busy\n"), std::string::npos);
    ASSERT_EQ(out.dials.size(), 1u);
    EXPECT_EQ(out.dials[0], "1,1,*,1,1,3,5,6,*,,7,8,,");
}

// A device the user may not open (owned by root and its group, as a serial device is by root
// and "dialout") gives the error box and names the group to join. Run by an ordinary user in a
// child process: root opens any device.
TEST(ModemProvider, DeviceNotPermitted) {
    char dir[] = "/tmp/zylma-modem-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string device = std::string(dir) + "/ttyS9", locks = std::string(dir) + "/locks";
    ASSERT_EQ(::chmod(dir, 0755), 0);
    ASSERT_EQ(::mkdir(locks.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(locks.c_str(), 01777), 0);
    int fd = ::open(device.c_str(), O_CREAT | O_WRONLY, 0660);
    ASSERT_GE(fd, 0);
    ::close(fd);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        if (::geteuid() == 0) ::_exit(3);
        setenv("ZYLMA_LOCK_DIR", locks.c_str(), 1);
        Outcome o = dial(QRX_STANDARD, kShort, {}, device.c_str());
        std::string report = std::to_string(o.result) + "\n";
        for (const auto& b : o.boxes) report += b + "\n";
        report += o.debug;
        if (::write(out[1], report.data(), report.size()) < 0) ::_exit(4);
        ::_exit(0);
    }
    ::close(out[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the child could not become an ordinary user";
    EXPECT_EQ(report.rfind("0\n" + kError + "\n", 0), 0u) << report;
    EXPECT_NE(report.find("Modem " + device + ": sin permiso"), std::string::npos) << report;
    EXPECT_NE(report.find("grupo dialout"), std::string::npos) << report;
    std::filesystem::remove_all(dir);
}

// The lock-file convention of the machine's serial programs: a lock naming a live process
// keeps the modem out of reach; once that process is gone the lock is stale and taken over,
// and the call gives it back when it ends.
TEST(ModemProvider, DeviceLockedByAnotherLiveProcess) {
    char dir[] = "/tmp/zylma-locks-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    setenv("ZYLMA_LOCK_DIR", dir, 1);
    FakeModemSetup busy;
    busy.result = "BUSY";
    FakeModem probeName(busy);
    std::string name = probeName.path().substr(5);  // "pts/N"
    std::replace(name.begin(), name.end(), '/', '_');

    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string lock = std::string(dir) + "/LCK.." + name;
    {
        // Qt's own form: the process, the program and the host, one a line.
        FILE* f = std::fopen(lock.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "%d\nminicom\nhost\n", static_cast<int>(holder));
        std::fclose(f);
    }
    Outcome out = dial(QRX_STANDARD, kShort, busy, probeName.path().c_str());
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kError});
    EXPECT_NE(out.debug.find("en uso por el proceso " + std::to_string(holder)), std::string::npos) << out.debug;
    EXPECT_TRUE(probeName.commands().empty());

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    out = dial(QRX_STANDARD, kShort, busy, probeName.path().c_str());
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kOk});
    EXPECT_FALSE(std::filesystem::exists(lock));  // given back
    unsetenv("ZYLMA_LOCK_DIR");
    std::filesystem::remove_all(dir);
}

TEST(ModemProvider, NoModemNoLine) {
    Outcome out = dial(QRX_STANDARD, kShort, {}, "/nonexistent/ttyACM9");
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.boxes, std::vector<std::string>{kError});
    EXPECT_NE(out.debug.find("Modem /nonexistent/ttyACM9: no existe"), std::string::npos) << out.debug;
    EXPECT_TRUE(out.commands.empty());
}

// The older start-up's path: the provider hands the modem's answers to the registered
// callback through the thread's message pump.
std::vector<LINEMESSAGE> g_callbacks;
void onLineMessage(DWORD device, DWORD message, DWORD, DWORD p1, DWORD p2, DWORD p3) {
    g_callbacks.push_back(LINEMESSAGE{device, message, 0, p1, p2, p3});
}

TEST(ModemProvider, CallbackRegistrationGetsTheStatesThroughThePump) {
    FakeModemSetup setup;
    setup.result = "BUSY";
    setup.afterMs = 0;
    FakeModem modem(setup);
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

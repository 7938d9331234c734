// The modem provider: one line device, a Hayes-compatible modem on a serial device
// ($ZYLMA_MODEM, default /dev/ttyACM0), driven with AT commands. The dial command's result
// codes become call states; TAPI 2 applications read them with lineGetMessage, TAPI 1.4 ones
// get them in their callback through the thread's message pump.
//
// The device is taken the way Qt SerialPort (and the machine's other serial programs) take
// it: a lock file "LCK..<name>" in the lock folder naming the holder's process. An exclusive
// open alone stops no program run by root, and a modem dialling for two programs dials
// neither's number.
#include "zylma/telephony/dial_time.h"
#include "zylma/telephony/hayes.h"
#include "zylma/telephony/modem_device.h"
#include "zylma/telephony/tapi.h"
#include "zylma/winapi/services.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#define ZYLMA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace zylma::telephony;
using Clock = std::chrono::steady_clock;

constexpr DWORD kVersion = 0x00020000;
constexpr HLINEAPP kApp = 0x51;
constexpr HLINE kLine = 0x52;
constexpr HCALL kCall = 0x53;
constexpr int kCommandTimeoutMs = 1500;
// How long a modem still in its dial command gets to answer the aborting character.
constexpr int kAbortAnswerMs = 1000;
// While the dial runs, a look at the device lasts at most this long, so the end of the dial
// is reported on time.
constexpr int kDialLookMs = 20;

struct Modem {
    int fd = -1;
    std::string path;
    std::string lock;  // the lock file this process holds for the device
    std::string name;
    std::string partial;  // a line not yet ended
    std::deque<LINEMESSAGE> queue;
    HLINEAPP app = 0;
    bool available = false;
    LINEDIALPARAMS pace{};
    HLINE line = 0;
    HCALL call = 0;
    DWORD state = 0;
    DWORD mode = 0;
    DWORD dialStart = 0;
    DWORD dialTime = 0;
    LONG dialRequest = 0;
    bool replied = false;
    LONG nextRequest = 1;
    LINECALLBACK callback = nullptr;
    int source = 0;
    unsigned generation = 0;
};

Modem& modem() {
    static Modem m;
    return m;
}

void debug(const std::string& text) { OutputDebugStringA(text.c_str()); }

std::string devicePath() {
    const char* env = std::getenv("ZYLMA_MODEM");
    return (env != nullptr && *env != '\0') ? env : "/dev/ttyACM0";
}

void closeDevice() {
    Modem& m = modem();
    if (m.fd >= 0) {
        ::ioctl(m.fd, TIOCNXCL);  // the flag belongs to the device, not to this descriptor
        ::close(m.fd);
    }
    m.fd = -1;
    m.available = false;
    modem_device::releaseLock(m.lock);
    m.lock.clear();
}

bool openDevice() {
    Modem& m = modem();
    m.path = devicePath();
    std::string why;
    if (!modem_device::takeLock(m.path, m.lock, why)) {
        debug("Modem " + m.path + ": " + why + "\n");
        return false;
    }
    int fd = ::open(m.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        debug("Modem " + m.path + ": " + modem_device::openFailure(errno) + "\n");
        modem_device::releaseLock(m.lock);
        m.lock.clear();
        return false;
    }
    ::ioctl(fd, TIOCEXCL);  // keeps out the programs that honour neither convention
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    m.fd = fd;
    m.partial.clear();
    return true;
}

void setState(DWORD state, DWORD mode);

// The device answered a look with a hang-up or an error: it was unplugged or switched off.
// The call (if any) ends; from now on a look sleeps instead of asking a dead descriptor.
void deviceGone() {
    Modem& m = modem();
    debug("Modem " + m.path + ": el dispositivo ya no responde (desconectado)\n");
    const bool callUp = m.call != 0 && m.state != LINECALLSTATE_IDLE && m.state != LINECALLSTATE_DISCONNECTED;
    closeDevice();
    if (callUp) setState(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL);
}

bool writeAll(const std::string& bytes) {
    Modem& m = modem();
    std::size_t done = 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(kCommandTimeoutMs);
    while (done < bytes.size()) {
        if (m.fd < 0) return false;
        ssize_t n = ::write(m.fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (Clock::now() > deadline) return false;
            pollfd p{m.fd, POLLOUT, 0};
            ::poll(&p, 1, 20);
        } else {
            return false;
        }
    }
    return true;
}

// Waits up to timeoutMs for bytes, then splits off the complete lines (empty ones dropped).
// Without a device it only waits.
std::vector<std::string> readLines(int timeoutMs) {
    Modem& m = modem();
    std::vector<std::string> lines;
    if (m.fd < 0) {
        if (timeoutMs > 0) ::poll(nullptr, 0, timeoutMs);
        return lines;
    }
    pollfd p{m.fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) > 0) {
        bool gone = (p.revents & (POLLERR | POLLNVAL)) != 0;
        if (p.revents & (POLLIN | POLLHUP)) {
            char buf[256];
            ssize_t n;
            while ((n = ::read(m.fd, buf, sizeof buf)) > 0) m.partial.append(buf, static_cast<std::size_t>(n));
            // End of file or an error other than "nothing more yet": the device is gone.
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) gone = true;
        }
        if (gone) deviceGone();
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < m.partial.size(); ++i) {
        if (m.partial[i] == '\r' || m.partial[i] == '\n') {
            if (i > start) lines.push_back(m.partial.substr(start, i - start));
            start = i + 1;
        }
    }
    m.partial.erase(0, start);
    return lines;
}

// A command in command mode: the lines it answered before its OK, or false on ERROR or
// silence. The echo of the command, when the modem still echoes, is not an answer.
bool command(const std::string& cmd, std::vector<std::string>& answer) {
    if (!writeAll(cmd + "\r")) return false;
    auto deadline = Clock::now() + std::chrono::milliseconds(kCommandTimeoutMs);
    while (Clock::now() < deadline && modem().fd >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        for (auto& line : readLines(static_cast<int>(std::max<long long>(left, 1)))) {
            if (line == cmd) continue;
            auto r = hayes::classify(line);
            if (r == hayes::Result::Ok) return true;
            if (r == hayes::Result::Error) return false;
            answer.push_back(line);
        }
    }
    return false;
}

// One S register, or `fallback` when the modem will not tell.
unsigned readRegister(int number, unsigned fallback, bool& known) {
    std::vector<std::string> answer;
    if (command("ATS" + std::to_string(number) + "?", answer))
        for (const auto& line : answer)
            if (auto v = hayes::registerValue(line)) return *v;
    known = false;
    return fallback;
}

// Finds the modem, sets it up and reads its dialling pace; without an answering modem there
// is no line device.
void probe() {
    Modem& m = modem();
    if (m.fd < 0 && !openDevice()) return;
    std::vector<std::string> ignored;
    if (!command(hayes::kSetup, ignored)) {
        debug("Modem " + m.path + ": no contesta a \"" + hayes::kSetup + "\"\n");
        closeDevice();
        return;
    }
    std::vector<std::string> id;
    m.name = (command("ATI", id) && !id.empty()) ? id.front() : std::string("Modem Hayes");
    bool known = true;
    hayes::Registers r;
    r.s6 = readRegister(6, r.s6, known);
    r.s8 = readRegister(8, r.s8, known);
    r.s11 = readRegister(11, r.s11, known);
    m.pace = hayes::dialPace(r);
    debug("Modem " + m.path + ": espera de tono " + std::to_string(r.s6) + " s, pausa " + std::to_string(r.s8) +
          " s, tono " + std::to_string(r.s11) + " ms" + (known ? "" : " (valores usuales: el modem no los dio)") +
          "\n");
    m.available = true;
}

void post(DWORD device, DWORD message, DWORD p1, DWORD p2 = 0, DWORD p3 = 0) {
    LINEMESSAGE msg{};
    msg.hDevice = device;
    msg.dwMessageID = message;
    msg.dwParam1 = p1;
    msg.dwParam2 = p2;
    msg.dwParam3 = p3;
    modem().queue.push_back(msg);
}

// Posts a call-state message for each change, never one for the same state again.
void setState(DWORD state, DWORD mode) {
    Modem& m = modem();
    if (m.state == state && m.mode == mode) return;
    m.state = state;
    m.mode = mode;
    post(m.call, LINE_CALLSTATE, state, mode);
}

bool inDialCommand() {
    const Modem& m = modem();
    return m.call != 0 && (m.state == LINECALLSTATE_DIALING || m.state == LINECALLSTATE_PROCEEDING);
}

// The modem dials at its own pace and says nothing while it does: once the last key is out
// (by its registers) the call is proceeding, and waits for the far end's answer.
void progress() {
    Modem& m = modem();
    if (m.call != 0 && m.state == LINECALLSTATE_DIALING && GetTickCount() - m.dialStart >= m.dialTime)
        setState(LINECALLSTATE_PROCEEDING, 0);
}

// A line from the modem while a call is up.
void onLine(const std::string& line) {
    Modem& m = modem();
    if (m.call == 0 || m.state == LINECALLSTATE_IDLE || m.state == LINECALLSTATE_DISCONNECTED) return;
    auto change = hayes::callChange(hayes::classify(line));
    if (change.state == 0) return;
    debug("Modem " + m.path + ": " + line + "\n");
    // The dial request completes with the modem's first answer.
    if (!m.replied) {
        m.replied = true;
        post(0, LINE_REPLY, static_cast<DWORD>(m.dialRequest),
             static_cast<DWORD>(change.refused ? LINEERR_OPERATIONFAILED : 0));
    }
    setState(change.state, change.mode);
}

void pump(int timeoutMs) {
    progress();
    for (auto& line : readLines(timeoutMs)) onLine(line);
    progress();
}

// TAPI 1.4: messages go to the callback, one posted message each.
void deliverCallbacks() {
    Modem& m = modem();
    pump(0);
    while (!m.queue.empty() && m.callback != nullptr) {
        LINEMESSAGE msg = m.queue.front();
        m.queue.pop_front();
        LINECALLBACK cb = m.callback;
        unsigned generation = m.generation;
        zylma::winapi::postCallback([cb, msg, generation] {
            if (modem().generation != generation || modem().callback == nullptr) return;
            cb(msg.hDevice, msg.dwMessageID, msg.dwCallbackInstance, msg.dwParam1, msg.dwParam2, msg.dwParam3);
        });
    }
}

void hangUp() {
    Modem& m = modem();
    if (m.fd < 0) return;
    if (inDialCommand()) {
        // Still in the dial command: any character aborts it. Its answer is awaited so that
        // the on-hook command that follows is not itself eaten as the abort.
        writeAll("\r");
        auto deadline = Clock::now() + std::chrono::milliseconds(kAbortAnswerMs);
        bool answered = false;
        while (!answered && m.fd >= 0 && Clock::now() < deadline)
            for (auto& line : readLines(kDialLookMs))
                if (hayes::classify(line) != hayes::Result::None) answered = true;
    } else if (m.state == LINECALLSTATE_CONNECTED) {
        // In data mode the modem hears no command: dropping DTR puts it back on hook.
        int dtr = TIOCM_DTR;
        if (::ioctl(m.fd, TIOCMBIC, &dtr) == 0) {
            ::usleep(250000);
            ::ioctl(m.fd, TIOCMBIS, &dtr);
        }
    }
    std::vector<std::string> ignored;
    command("ATH", ignored);
}

}  // namespace

ZYLMA_EXPORT LONG lineInitializeExA(HLINEAPP* app, HINSTANCE, LINECALLBACK, LPCSTR, DWORD* numDevs, DWORD* version,
                                    LINEINITIALIZEEXPARAMS* params) {
    if (app == nullptr || numDevs == nullptr || version == nullptr || params == nullptr) return LINEERR_INVALPOINTER;
    if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS)) return LINEERR_STRUCTURETOOSMALL;
    if (*version < kVersion) return LINEERR_INCOMPATIBLEAPIVERSION;
    Modem& m = modem();
    if (m.app != 0) return LINEERR_NOMULTIPLEINSTANCE;
    probe();
    m.app = kApp;
    *app = kApp;
    *numDevs = m.available ? 1 : 0;
    *version = kVersion;
    return 0;
}

ZYLMA_EXPORT LONG lineInitialize(HLINEAPP* app, HINSTANCE, LINECALLBACK callback, LPCSTR, DWORD* numDevs) {
    if (app == nullptr || numDevs == nullptr || callback == nullptr) return LINEERR_INVALPOINTER;
    Modem& m = modem();
    if (m.app != 0) return LINEERR_NOMULTIPLEINSTANCE;
    probe();
    m.app = kApp;
    m.callback = callback;
    m.source = zylma::winapi::addMessageSource(deliverCallbacks);
    *app = kApp;
    *numDevs = m.available ? 1 : 0;
    return 0;
}

ZYLMA_EXPORT LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD id, DWORD low, DWORD high, DWORD* version,
                                          LINEEXTENSIONID* ext) {
    Modem& m = modem();
    if (app == 0 || app != m.app) return LINEERR_INVALAPPHANDLE;
    if (version == nullptr || ext == nullptr) return LINEERR_INVALPOINTER;
    if (id != 0 || !m.available) return LINEERR_BADDEVICEID;
    if (low > kVersion || high < 0x00010004) return LINEERR_INCOMPATIBLEAPIVERSION;
    *version = std::min(high, kVersion);
    std::memset(ext, 0, sizeof *ext);
    return 0;
}

ZYLMA_EXPORT LONG lineGetDevCapsA(HLINEAPP app, DWORD id, DWORD, DWORD, LINEDEVCAPS* caps) {
    Modem& m = modem();
    if (app == 0 || app != m.app) return LINEERR_INVALAPPHANDLE;
    if (caps == nullptr) return LINEERR_INVALPOINTER;
    if (id != 0 || !m.available) return LINEERR_BADDEVICEID;
    const DWORD total = caps->dwTotalSize;
    const DWORD fixed = sizeof(LINEDEVCAPS);
    if (total < fixed) return LINEERR_STRUCTURETOOSMALL;
    auto* base = reinterpret_cast<unsigned char*>(caps);
    std::memset(base + 4, 0, fixed - 4);
    const DWORD nameSize = static_cast<DWORD>(m.name.size() + 1);
    caps->dwNeededSize = fixed + nameSize;
    caps->dwUsedSize = fixed;
    caps->dwStringFormat = STRINGFORMAT_ASCII;
    caps->dwNumAddresses = 1;
    caps->dwBearerModes = LINEBEARERMODE_VOICE;
    caps->dwMediaModes = LINEMEDIAMODE_DATAMODEM;
    // The modem's registers fix its pace; it dials at no other.
    caps->MinDialParams = caps->MaxDialParams = caps->DefaultDialParams = m.pace;
    if (total >= fixed + nameSize) {
        std::memcpy(base + fixed, m.name.c_str(), nameSize);
        caps->dwLineNameOffset = fixed;
        caps->dwLineNameSize = nameSize;
        caps->dwUsedSize = fixed + nameSize;
    }
    return 0;
}

ZYLMA_EXPORT LONG lineOpenA(HLINEAPP app, DWORD id, HLINE* line, DWORD, DWORD, DWORD, DWORD, DWORD,
                            const LINECALLPARAMS*) {
    Modem& m = modem();
    if (app == 0 || app != m.app) return LINEERR_INVALAPPHANDLE;
    if (line == nullptr) return LINEERR_INVALPOINTER;
    if (id != 0 || !m.available) return LINEERR_BADDEVICEID;
    if (m.line != 0) return LINEERR_ALLOCATED;
    m.line = kLine;
    *line = kLine;
    return 0;
}

ZYLMA_EXPORT LONG lineMakeCallA(HLINE line, HCALL* call, LPCSTR address, DWORD, const LINECALLPARAMS*) {
    Modem& m = modem();
    if (line == 0 || line != m.line) return LINEERR_INVALLINEHANDLE;
    if (call == nullptr || address == nullptr) return LINEERR_INVALPOINTER;
    if (m.call != 0) return LINEERR_RESOURCEUNAVAIL;
    auto dial = hayes::dialString(address);
    if (!dial) {
        debug(std::string("Modem: el texto \"") + address + "\" no se puede marcar\n");
        return LINEERR_INVALADDRESS;
    }
    if (m.fd < 0) return LINEERR_OPERATIONFAILED;  // gone since the line was opened
    ::tcflush(m.fd, TCIFLUSH);
    m.partial.clear();
    // No ";" after the number: the modem stays in the dial command until the far end's
    // answer (BUSY, NO CARRIER ...), which is what tells whether the device took the keys.
    if (!writeAll("ATDT" + *dial + "\r")) return LINEERR_OPERATIONFAILED;
    m.call = kCall;
    *call = kCall;
    m.replied = false;
    m.dialRequest = m.nextRequest++;
    m.dialStart = GetTickCount();
    m.dialTime = dialDuration(dial->c_str(), m.pace);
    m.state = 0;
    debug("Modem " + m.path + ": ATDT" + *dial + " (" + std::to_string(m.dialTime) + " ms de marcado)\n");
    setState(LINECALLSTATE_DIALING, 0);
    return m.dialRequest;
}

ZYLMA_EXPORT LONG lineGetMessage(HLINEAPP app, LINEMESSAGE* message, DWORD timeout) {
    Modem& m = modem();
    if (app == 0 || app != m.app) return LINEERR_INVALAPPHANDLE;
    if (message == nullptr) return LINEERR_INVALPOINTER;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        progress();
        if (!m.queue.empty()) break;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return LINEERR_OPERATIONFAILED;  // nothing came; the buffer is untouched
        int look = static_cast<int>(left);
        if (m.call != 0 && m.state == LINECALLSTATE_DIALING) look = std::min(look, kDialLookMs);
        pump(look);
    }
    *message = m.queue.front();
    m.queue.pop_front();
    return 0;
}

ZYLMA_EXPORT LONG lineGetCallStatus(HCALL call, LINECALLSTATUS* status) {
    Modem& m = modem();
    if (call == 0 || call != m.call) return LINEERR_INVALCALLHANDLE;
    if (status == nullptr) return LINEERR_INVALPOINTER;
    if (status->dwTotalSize < sizeof(LINECALLSTATUS)) return LINEERR_STRUCTURETOOSMALL;
    if (m.callback == nullptr) pump(0);
    std::memset(reinterpret_cast<unsigned char*>(status) + 4, 0, sizeof(LINECALLSTATUS) - 4);
    status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
    status->dwCallState = m.state;
    status->dwCallStateMode = m.mode;
    return 0;
}

ZYLMA_EXPORT LONG lineDrop(HCALL call, LPCSTR, DWORD) {
    Modem& m = modem();
    if (call == 0 || call != m.call) return LINEERR_INVALCALLHANDLE;
    LONG request = m.nextRequest++;
    if (m.state != LINECALLSTATE_IDLE) {
        hangUp();
        setState(LINECALLSTATE_IDLE, 0);
    }
    post(0, LINE_REPLY, static_cast<DWORD>(request), 0);
    return request;
}

ZYLMA_EXPORT LONG lineDeallocateCall(HCALL call) {
    Modem& m = modem();
    if (call == 0 || call != m.call) return LINEERR_INVALCALLHANDLE;
    m.call = 0;
    m.state = 0;
    m.mode = 0;
    return 0;
}

ZYLMA_EXPORT LONG lineClose(HLINE line) {
    Modem& m = modem();
    if (line == 0 || line != m.line) return LINEERR_INVALLINEHANDLE;
    // A call still up on a closed line goes on hook with it.
    if (m.call != 0 && m.state != LINECALLSTATE_IDLE) hangUp();
    m.call = 0;
    m.state = 0;
    m.line = 0;
    return 0;
}

ZYLMA_EXPORT LONG lineShutdown(HLINEAPP app) {
    Modem& m = modem();
    if (app == 0 || app != m.app) return LINEERR_INVALAPPHANDLE;
    if (m.line != 0) lineClose(m.line);
    if (m.source != 0) zylma::winapi::removeMessageSource(m.source);
    m.source = 0;
    m.callback = nullptr;
    ++m.generation;
    m.queue.clear();
    closeDevice();
    m.app = 0;
    return 0;
}

#include "zylma/telephony/scripted.h"

#include "zylma/files/files.h"
#include "zylma/winapi/services.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace zylma::telephony::scripted {
namespace {

struct Sequence {
    std::vector<LONG> values;
    bool repeatLast = false;
    std::size_t next = 0;
};

struct Call {
    HCALL handle = 0;
    HLINE line = 0;
    DWORD placedAt = 0;
    bool dropped = false;
};

struct State {
    std::vector<Device> devices;
    std::map<std::string, Sequence> results;
    std::vector<std::size_t> capsCalls;  // per device
    std::vector<Message> messages;
    std::vector<bool> delivered;
    struct StatusEntry {
        DWORD at, state, mode;
    };
    std::vector<StatusEntry> statuses;
    DWORD clock = 1000;
    int allocFailAt = 0;
    int allocCount = 0;
    int sizeLoseAt = 0;
    int sizeCount = 0;
    std::vector<std::string> log;
    std::vector<DWORD> logTimes;
    std::vector<std::string> boxes;
    std::vector<std::string> debug;
    std::set<HLINEAPP> apps;
    std::map<HLINE, HLINEAPP> lines;
    std::map<HCALL, HLINE> calls;
    HLINEAPP nextApp = 0x101;
    HLINE nextLine = 0x201;
    HCALL nextCall = 0x301;
    LONG nextRequest = 0x4001;
    // The call placed last: messages and states are timed from its request.
    bool placed = false;
    Call call;
    LINECALLBACK callback = nullptr;
    HLINEAPP callbackApp = 0;
    int source = 0;
    unsigned generation = 0;
    Seen seen;
};

State& st() {
    static State s;
    return s;
}

void note(std::string line) {
    st().log.push_back(std::move(line));
    st().logTimes.push_back(st().clock);
}

std::optional<LONG> scriptedResult(const std::string& function) {
    auto& r = st().results;
    auto it = r.find(function);
    if (it == r.end()) return std::nullopt;
    Sequence& seq = it->second;
    if (seq.next < seq.values.size()) return seq.values[seq.next++];
    if (seq.repeatLast && !seq.values.empty()) return seq.values.back();
    return std::nullopt;
}

// Wrap-safe: has `due` come by `now`?
bool reached(DWORD due, DWORD now) { return static_cast<std::int32_t>(now - due) >= 0; }

DWORD dueOf(const Message& m) { return st().call.placedAt + m.at; }

LINEMESSAGE toLineMessage(const Message& m) {
    LINEMESSAGE out{};
    out.hDevice = m.ourCall ? st().call.handle : m.device;
    out.dwMessageID = m.id;
    out.dwParam1 = m.param1;
    out.dwParam2 = m.param2;
    out.dwParam3 = m.param3;
    return out;
}

// The next message not yet handed out, in time order.
int nextMessage() {
    auto& s = st();
    int best = -1;
    for (std::size_t i = 0; i < s.messages.size(); ++i) {
        if (s.delivered[i]) continue;
        if (best < 0 || static_cast<std::int32_t>(s.messages[i].at - s.messages[best].at) < 0)
            best = static_cast<int>(i);
    }
    return best;
}

// TAPI 1.4: due messages go to the registered callback through the thread's message queue.
void pollCallbacks() {
    auto& s = st();
    if (!s.placed || s.callback == nullptr) return;
    for (;;) {
        int i = nextMessage();
        if (i < 0 || !reached(dueOf(s.messages[i]), s.clock)) return;
        s.delivered[i] = true;
        LINEMESSAGE m = toLineMessage(s.messages[i]);
        LINECALLBACK cb = s.callback;
        unsigned generation = s.generation;
        winapi::postCallback([cb, m, generation] {
            // A registration that has ended gets nothing more.
            if (st().generation != generation || st().callback == nullptr) return;
            cb(m.hDevice, m.dwMessageID, m.dwCallbackInstance, m.dwParam1, m.dwParam2, m.dwParam3);
        });
    }
}

void releaseApp(HLINEAPP app) {
    auto& s = st();
    for (auto it = s.lines.begin(); it != s.lines.end();) {
        if (it->second == app) {
            for (auto c = s.calls.begin(); c != s.calls.end();) {
                if (c->second == it->first) c = s.calls.erase(c);
                else ++c;
            }
            it = s.lines.erase(it);
        } else {
            ++it;
        }
    }
    s.apps.erase(app);
    if (s.callbackApp == app) {
        s.callback = nullptr;
        s.callbackApp = 0;
        if (s.source != 0) winapi::removeMessageSource(s.source);
        s.source = 0;
        ++s.generation;
    }
}


}  // namespace

void reset() {
    auto& s = st();
    if (s.source != 0) winapi::removeMessageSource(s.source);
    unsigned generation = s.generation + 1;
    s = State{};
    s.generation = generation;
    s.devices.push_back(Device{});
    winapi::resetServices();
    winapi::setDebugToStderr(false);
    winapi::setMessageBoxService([](const std::string& text, const std::string& caption, unsigned type) {
        std::string box = caption + "|" + text + "|" + std::to_string(type);
        st().boxes.push_back(box);
        note("MessageBoxA " + box);
        return IDOK;
    });
    winapi::setDebugHook([](const std::string& bytes) {
        st().debug.push_back(bytes);
        note("debug " + files::cp1252ToUtf8(bytes));
    });
    winapi::setTickSource([] { return st().clock; });
    winapi::setSleepHook([](std::uint32_t ms) { st().clock += ms; });
    winapi::setAllocGate([](std::size_t) {
        auto& t = st();
        ++t.allocCount;
        return !(t.allocFailAt != 0 && t.allocCount == t.allocFailAt);
    });
    winapi::setLocalSizeHook([](std::size_t actual) -> std::size_t {
        auto& t = st();
        ++t.sizeCount;
        return (t.sizeLoseAt != 0 && t.sizeCount == t.sizeLoseAt) ? 0 : actual;
    });
}

std::vector<Device>& devices() { return st().devices; }

void results(const std::string& function, std::vector<LONG> values, bool repeatLast) {
    st().results[function] = Sequence{std::move(values), repeatLast, 0};
}

void message(const Message& m) {
    st().messages.push_back(m);
    st().delivered.push_back(false);
}

void callState(DWORD at, DWORD state, DWORD mode) {
    Message m;
    m.at = at;
    m.param1 = state;
    m.param2 = mode;
    message(m);
}

void otherDevice(DWORD at, DWORD state, DWORD mode) {
    Message m;
    m.at = at;
    m.ourCall = false;
    m.param1 = state;
    m.param2 = mode;
    message(m);
}

void reply(DWORD at, LONG result, DWORD requestId) {
    Message m;
    m.at = at;
    m.ourCall = false;
    m.device = 0;  // a reply names no device
    m.id = LINE_REPLY;
    m.param1 = requestId;
    m.param2 = static_cast<DWORD>(result);
    message(m);
}

void status(DWORD at, DWORD state, DWORD mode) { st().statuses.push_back({at, state, mode}); }

void setClock(DWORD now) { st().clock = now; }
DWORD clock() { return st().clock; }

void failAllocation(int nth) {
    st().allocFailAt = nth == 0 ? 0 : st().allocCount + nth;
}
void loseSize(int nth) { st().sizeLoseAt = nth == 0 ? 0 : st().sizeCount + nth; }
int allocations() { return st().allocCount; }

const std::vector<std::string>& log() { return st().log; }
const std::vector<DWORD>& logTimes() { return st().logTimes; }
int find(const std::string& prefix, int from) {
    const auto& l = st().log;
    for (std::size_t i = static_cast<std::size_t>(std::max(from, 0)); i < l.size(); ++i)
        if (l[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}
int count(const std::string& prefix) {
    int n = 0;
    for (auto& line : st().log)
        if (line.rfind(prefix, 0) == 0) ++n;
    return n;
}
std::vector<std::string> boxes() { return st().boxes; }
std::vector<std::string> debugTexts() { return st().debug; }
std::string debugOutput() {
    std::string all;
    for (auto& d : st().debug) all += d;
    return all;
}
int liveApps() { return static_cast<int>(st().apps.size()); }
int openLines() { return static_cast<int>(st().lines.size()); }
int liveCalls() { return static_cast<int>(st().calls.size()); }
const Seen& seen() { return st().seen; }

LONG lineInitializeExA(HLINEAPP* app, HINSTANCE, LINECALLBACK, LPCSTR name, DWORD* numDevs, DWORD* version,
                       LINEINITIALIZEEXPARAMS* params) {
    auto& s = st();
    note("lineInitializeExA");
    if (app == nullptr || numDevs == nullptr || version == nullptr || params == nullptr) return LINEERR_INVALPOINTER;
    s.seen.initVersionIn = *version;
    s.seen.initParams = *params;
    s.seen.appName = name ? name : "";
    if (auto r = scriptedResult("lineInitializeExA"); r && *r < 0) return *r;
    if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS)) return LINEERR_STRUCTURETOOSMALL;
    // The extended start-up serves applications of version 2.0 and later only.
    if (*version < 0x00020000) return LINEERR_INCOMPATIBLEAPIVERSION;
    HLINEAPP h = s.nextApp++;
    s.apps.insert(h);
    *app = h;
    *numDevs = static_cast<DWORD>(s.devices.size());
    *version = 0x00020000;
    return 0;
}

LONG lineInitialize(HLINEAPP* app, HINSTANCE, LINECALLBACK callback, LPCSTR name, DWORD* numDevs) {
    auto& s = st();
    note("lineInitialize");
    if (app == nullptr || numDevs == nullptr || callback == nullptr) return LINEERR_INVALPOINTER;
    s.seen.appName = name ? name : "";
    if (auto r = scriptedResult("lineInitialize"); r && *r < 0) return *r;
    HLINEAPP h = s.nextApp++;
    s.apps.insert(h);
    *app = h;
    *numDevs = static_cast<DWORD>(s.devices.size());
    s.callback = callback;
    s.callbackApp = h;
    s.seen.callbackRegistered = true;
    if (s.source == 0) s.source = winapi::addMessageSource(pollCallbacks);
    return 0;
}

LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD id, DWORD, DWORD, DWORD* version, LINEEXTENSIONID* ext) {
    auto& s = st();
    note("lineNegotiateAPIVersion " + std::to_string(id));
    if (!s.apps.count(app)) return LINEERR_INVALAPPHANDLE;
    if (version == nullptr || ext == nullptr) return LINEERR_INVALPOINTER;
    if (id >= s.devices.size()) return LINEERR_BADDEVICEID;
    auto r = scriptedResult("lineNegotiateAPIVersion");
    if (r && *r < 0) return *r;
    const Device& d = s.devices[id];
    if (d.negotiateResult < 0) return d.negotiateResult;
    *version = d.version;
    std::memset(ext, 0, sizeof *ext);
    return r ? *r : d.negotiateResult;
}

LONG lineGetDevCapsA(HLINEAPP app, DWORD id, DWORD, DWORD, LINEDEVCAPS* caps) {
    auto& s = st();
    note("lineGetDevCapsA " + std::to_string(id) + " " + (caps ? std::to_string(caps->dwTotalSize) : "-"));
    if (!s.apps.count(app)) return LINEERR_INVALAPPHANDLE;
    if (caps == nullptr) return LINEERR_INVALPOINTER;
    if (id >= s.devices.size()) return LINEERR_BADDEVICEID;
    Device& d = s.devices[id];
    if (s.capsCalls.size() < s.devices.size()) s.capsCalls.resize(s.devices.size(), 0);
    std::size_t n = s.capsCalls[id]++;
    LONG result = n < d.capsResults.size() ? d.capsResults[n] : 0;
    if (result < 0) return result;
    const DWORD total = caps->dwTotalSize;
    const DWORD fixed = sizeof(LINEDEVCAPS);
    if (total < fixed) return LINEERR_STRUCTURETOOSMALL;
    std::string bytes = d.hasName ? d.name : std::string();
    if (d.hasName && d.terminated) bytes.push_back('\0');
    const DWORD needed = fixed + static_cast<DWORD>(bytes.size()) + d.growBy;
    auto* base = reinterpret_cast<unsigned char*>(caps);
    std::memset(base + 4, 0, fixed - 4);
    caps->dwNeededSize = needed;
    caps->dwUsedSize = fixed;
    caps->dwStringFormat = d.stringFormat;
    caps->dwPermanentLineID = 0x1000 + id;
    caps->dwBearerModes = LINEBEARERMODE_VOICE;
    caps->dwMediaModes = LINEMEDIAMODE_DATAMODEM;
    caps->dwNumAddresses = 1;
    caps->DefaultDialParams = d.pace;
    if (total >= needed && !bytes.empty()) {
        std::memcpy(base + fixed, bytes.data(), bytes.size());
        caps->dwLineNameOffset = fixed;
        caps->dwLineNameSize = static_cast<DWORD>(bytes.size());
        caps->dwUsedSize = fixed + static_cast<DWORD>(bytes.size());
    }
    if (total >= needed) {
        if (d.nameOffset) caps->dwLineNameOffset = *d.nameOffset;
        if (d.nameSize) caps->dwLineNameSize = *d.nameSize;
    }
    return result;
}

LONG lineOpenA(HLINEAPP app, DWORD id, HLINE* line, DWORD version, DWORD, DWORD, DWORD privileges, DWORD,
               const LINECALLPARAMS*) {
    auto& s = st();
    note("lineOpenA " + std::to_string(id));
    s.seen.openDevice = id;
    s.seen.openVersion = version;
    s.seen.openPrivileges = privileges;
    if (!s.apps.count(app)) return LINEERR_INVALAPPHANDLE;
    if (line == nullptr) return LINEERR_INVALPOINTER;
    if (id >= s.devices.size()) return LINEERR_BADDEVICEID;
    auto r = scriptedResult("lineOpenA");
    if (r && *r < 0) return *r;
    HLINE h = s.nextLine++;
    s.lines[h] = app;
    *line = h;
    return r ? *r : 0;
}

LONG lineMakeCallA(HLINE line, HCALL* call, LPCSTR address, DWORD, const LINECALLPARAMS* params) {
    auto& s = st();
    std::string text = address ? address : "";
    note("lineMakeCallA " + files::cp1252ToUtf8(text));
    s.seen.dialled = text;
    if (params != nullptr) {
        s.seen.callParamsTotal = params->dwTotalSize;
        std::memcpy(&s.seen.callParams, params, std::min<std::size_t>(params->dwTotalSize, sizeof(LINECALLPARAMS)));
    }
    if (!s.lines.count(line)) return LINEERR_INVALLINEHANDLE;
    if (call == nullptr) return LINEERR_INVALPOINTER;
    auto r = scriptedResult("lineMakeCallA");
    if (r && *r < 0) return *r;
    HCALL h = s.nextCall++;
    s.calls[h] = line;
    *call = h;
    s.placed = true;
    s.call = Call{h, line, s.clock, false};
    std::fill(s.delivered.begin(), s.delivered.end(), false);
    return r ? *r : s.nextRequest++;
}

LONG lineGetMessage(HLINEAPP app, LINEMESSAGE* out, DWORD timeout) {
    auto& s = st();
    note("lineGetMessage");
    if (!s.apps.count(app)) return LINEERR_INVALAPPHANDLE;
    if (out == nullptr) return LINEERR_INVALPOINTER;
    if (auto r = scriptedResult("lineGetMessage"); r && *r < 0) return *r;
    int i = (s.placed && s.callbackApp != app) ? nextMessage() : -1;
    if (i >= 0) {
        DWORD due = dueOf(s.messages[i]);
        if (reached(due, s.clock) || reached(due, s.clock + timeout)) {
            if (!reached(due, s.clock)) s.clock = due;
            s.delivered[i] = true;
            *out = toLineMessage(s.messages[i]);
            return 0;
        }
    }
    // Nothing within the time-out: the buffer is left as it was.
    s.clock += timeout;
    return LINEERR_OPERATIONFAILED;
}

LONG lineGetCallStatus(HCALL call, LINECALLSTATUS* out) {
    auto& s = st();
    note("lineGetCallStatus");
    if (!s.calls.count(call)) return LINEERR_INVALCALLHANDLE;
    if (out == nullptr) return LINEERR_INVALPOINTER;
    if (auto r = scriptedResult("lineGetCallStatus"); r && *r < 0) return *r;
    if (out->dwTotalSize < sizeof(LINECALLSTATUS)) return LINEERR_STRUCTURETOOSMALL;
    DWORD state = LINECALLSTATE_DIALING, mode = 0;
    if (s.call.handle == call && s.call.dropped) {
        state = LINECALLSTATE_IDLE;
    } else {
        // The latest of the scripted states and the call-state messages already due.
        DWORD latest = 0;
        bool any = false;
        for (auto& e : s.statuses)
            if (reached(s.call.placedAt + e.at, s.clock) && (!any || static_cast<std::int32_t>(e.at - latest) >= 0)) {
                state = e.state, mode = e.mode, latest = e.at, any = true;
            }
        if (s.statuses.empty())
            for (auto& m : s.messages)
                if (m.ourCall && m.id == LINE_CALLSTATE && reached(dueOf(m), s.clock) &&
                    (!any || static_cast<std::int32_t>(m.at - latest) >= 0)) {
                    state = m.param1, mode = m.param2, latest = m.at, any = true;
                }
    }
    std::memset(reinterpret_cast<unsigned char*>(out) + 4, 0, sizeof(LINECALLSTATUS) - 4);
    out->dwNeededSize = out->dwUsedSize = sizeof(LINECALLSTATUS);
    out->dwCallState = state;
    out->dwCallStateMode = mode;
    return 0;
}

LONG lineDrop(HCALL call, LPCSTR, DWORD) {
    auto& s = st();
    note("lineDrop");
    if (!s.calls.count(call)) return LINEERR_INVALCALLHANDLE;
    auto r = scriptedResult("lineDrop");
    if (r && *r < 0) return *r;
    if (s.call.handle == call) s.call.dropped = true;
    return r ? *r : s.nextRequest++;
}

LONG lineDeallocateCall(HCALL call) {
    auto& s = st();
    note("lineDeallocateCall");
    auto r = scriptedResult("lineDeallocateCall");
    if (r && *r < 0) return *r;
    if (!s.calls.count(call)) return r ? *r : LINEERR_INVALCALLHANDLE;
    s.calls.erase(call);
    return r ? *r : 0;
}

LONG lineClose(HLINE line) {
    auto& s = st();
    note("lineClose");
    auto r = scriptedResult("lineClose");
    if (r && *r < 0) return *r;
    if (!s.lines.count(line)) return r ? *r : LINEERR_INVALLINEHANDLE;
    for (auto c = s.calls.begin(); c != s.calls.end();) {
        if (c->second == line) c = s.calls.erase(c);
        else ++c;
    }
    s.lines.erase(line);
    return r ? *r : 0;
}

LONG lineShutdown(HLINEAPP app) {
    auto& s = st();
    note("lineShutdown");
    if (!s.apps.count(app)) return LINEERR_INVALAPPHANDLE;
    auto r = scriptedResult("lineShutdown");
    if (r && *r < 0) return *r;
    releaseApp(app);
    return r ? *r : 0;
}

}  // namespace zylma::telephony::scripted

#include "zylma/winapi/winapi.h"

#include "zylma/files/files.h"
#include "zylma/winapi/services.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <new>
#include <utility>
#include <vector>

namespace zylma::winapi {
namespace {

// A posted callback travels as this message; wParam numbers it.
constexpr UINT kCallbackMessage = WM_APP + 0x2A1;

struct Posted {
    MSG msg;
    std::function<void()> callback;
};

struct State {
    MessageBoxService messageBox;
    DebugHook debugHook;
    bool debugToStderr = true;
    TickSource tickSource;
    SleepHook sleepHook;
    AllocGate allocGate;
    SizeHook sizeHook;
    std::size_t blocksInUse = 0;
    std::function<void()> pendingEvents;
    std::map<int, std::function<void()>> sources;
    int nextSource = 1;
    std::deque<Posted> queue;
    std::map<WPARAM, std::function<void()>> removed;  // taken by PeekMessageA, not yet dispatched
    WPARAM nextPosted = 1;
    bool inPending = false;
};

State& state() {
    static State s;
    return s;
}

// Every block carries its size in front of it, so LocalSize can answer.
constexpr std::size_t kHeader = 16;

std::uint32_t realTicks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace

void setMessageBoxService(MessageBoxService service) { state().messageBox = std::move(service); }
void setDebugHook(DebugHook hook) { state().debugHook = std::move(hook); }
void setDebugToStderr(bool on) { state().debugToStderr = on; }
void setTickSource(TickSource source) { state().tickSource = std::move(source); }
void setSleepHook(SleepHook hook) { state().sleepHook = std::move(hook); }
void setAllocGate(AllocGate gate) { state().allocGate = std::move(gate); }
void setLocalSizeHook(SizeHook hook) { state().sizeHook = std::move(hook); }
std::size_t localBlocksInUse() { return state().blocksInUse; }
void setPendingEventsService(std::function<void()> service) { state().pendingEvents = std::move(service); }

int addMessageSource(std::function<void()> poll) {
    State& s = state();
    int id = s.nextSource++;
    s.sources[id] = std::move(poll);
    return id;
}

void removeMessageSource(int id) { state().sources.erase(id); }

void postCallback(std::function<void()> callback) {
    State& s = state();
    Posted p{};
    p.msg.message = kCallbackMessage;
    p.msg.wParam = s.nextPosted++;
    p.msg.time = GetTickCount();
    p.callback = std::move(callback);
    s.queue.push_back(std::move(p));
}

std::size_t postedMessages() { return state().queue.size(); }

void resetServices() {
    State& s = state();
    s.messageBox = nullptr;
    s.debugHook = nullptr;
    s.debugToStderr = true;
    s.tickSource = nullptr;
    s.sleepHook = nullptr;
    s.allocGate = nullptr;
    s.sizeHook = nullptr;
    s.pendingEvents = nullptr;
    s.sources.clear();
    s.queue.clear();
    s.removed.clear();
}

}  // namespace zylma::winapi

using zylma::winapi::state;

extern "C" {

void OutputDebugStringA(LPCSTR text) {
    if (text == nullptr) return;
    auto& s = state();
    std::string bytes(text);
    if (s.debugToStderr) {
        std::string shown = zylma::files::cp1252ToUtf8(bytes);
        std::fwrite(shown.data(), 1, shown.size(), stderr);
        std::fflush(stderr);
    }
    if (s.debugHook) s.debugHook(bytes);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    std::string t = zylma::files::cp1252ToUtf8(text ? text : "");
    std::string c = zylma::files::cp1252ToUtf8(caption ? caption : "");
    auto& s = state();
    if (s.messageBox) return s.messageBox(t, c, type);
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    return IDOK;
}

DWORD GetTickCount(void) {
    auto& s = state();
    return s.tickSource ? s.tickSource() : zylma::winapi::realTicks();
}

void Sleep(DWORD milliseconds) {
    auto& s = state();
    if (s.sleepHook) {
        s.sleepHook(milliseconds);
        return;
    }
    timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
    auto& s = state();
    if (s.allocGate && !s.allocGate(bytes)) return nullptr;
    if (bytes > SIZE_MAX - zylma::winapi::kHeader) return nullptr;
    auto* raw = static_cast<unsigned char*>(std::malloc(zylma::winapi::kHeader + bytes));
    if (raw == nullptr) return nullptr;
    std::memcpy(raw, &bytes, sizeof bytes);
    if (flags & LMEM_ZEROINIT) std::memset(raw + zylma::winapi::kHeader, 0, bytes);
    ++s.blocksInUse;
    return raw + zylma::winapi::kHeader;
}

SIZE_T LocalSize(HLOCAL block) {
    if (block == nullptr) return 0;
    SIZE_T size = 0;
    std::memcpy(&size, static_cast<unsigned char*>(block) - zylma::winapi::kHeader, sizeof size);
    auto& s = state();
    return s.sizeHook ? s.sizeHook(size) : size;
}

HLOCAL LocalFree(HLOCAL block) {
    if (block == nullptr) return nullptr;
    std::free(static_cast<unsigned char*>(block) - zylma::winapi::kHeader);
    --state().blocksInUse;
    return nullptr;
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeMsg) {
    auto& s = state();
    // The program's loop may itself end up here (a modal box inside a handler); run it once.
    if (s.pendingEvents && !s.inPending) {
        s.inPending = true;
        auto pending = s.pendingEvents;
        pending();
        s.inPending = false;
    }
    std::vector<std::function<void()>> sources;
    for (auto& [id, poll] : s.sources) sources.push_back(poll);
    for (auto& poll : sources) poll();
    if (s.queue.empty() || msg == nullptr) return FALSE;
    *msg = s.queue.front().msg;
    if (removeMsg & PM_REMOVE) {
        s.removed[msg->wParam] = std::move(s.queue.front().callback);
        s.queue.pop_front();
    }
    return TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LONG DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->message != zylma::winapi::kCallbackMessage) return 0;
    auto& s = state();
    auto it = s.removed.find(msg->wParam);
    if (it == s.removed.end()) return 0;
    auto callback = std::move(it->second);
    s.removed.erase(it);
    if (callback) callback();
    return 0;
}

}  // extern "C"

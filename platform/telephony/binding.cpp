// Binds the line functions by name from the provider library, the way the dialler once bound
// them from the system's telephony library.
#include "zylma/telephony/line_calls.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

namespace zylma::telephony {
namespace {

struct Binding {
    std::string name;  // the configured name this handle was loaded for
    void* handle = nullptr;
    std::map<std::string, void*> symbols;
};

Binding& binding() {
    static Binding b;
    return b;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void* openProvider(const std::string& name) {
    if (name.empty()) return nullptr;
    if (name.find('/') != std::string::npos) return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    // A bare name: beside this module first (the dialler in the application folder), then in
    // the application folder the program was told about, then the system's search path.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&openProvider), &info) != 0 && info.dli_fname != nullptr) {
        std::string candidate = folderOf(info.dli_fname) + "/" + name;
        if (access(candidate.c_str(), F_OK) == 0)
            if (void* h = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    if (const char* app = std::getenv("ZYLMA_APP"); app != nullptr && *app != '\0') {
        std::string candidate = std::string(app) + "/" + name;
        if (access(candidate.c_str(), F_OK) == 0)
            if (void* h = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* resolve(const char* function) {
    Binding& b = binding();
    std::string wanted = configuredProvider();
    if (b.handle == nullptr || b.name != wanted) {
        // A library once loaded stays loaded: a call still running may hold its callbacks.
        void* h = openProvider(wanted);
        if (h == nullptr) return nullptr;  // tried again on the next call
        b.handle = h;
        b.name = wanted;
        b.symbols.clear();
    }
    auto it = b.symbols.find(function);
    if (it != b.symbols.end()) return it->second;
    void* sym = dlsym(b.handle, function);
    if (sym != nullptr) b.symbols[function] = sym;
    return sym;
}

template <typename Fn, typename... Args>
LONG call(const char* function, Args... args) {
    auto fn = reinterpret_cast<Fn>(resolve(function));
    if (fn == nullptr) return LINEERR_OPERATIONUNAVAIL;
    return fn(args...);
}

}  // namespace

std::string configuredProvider() {
    const char* env = std::getenv("ZYLMA_TELEPHONY");
    return (env != nullptr && *env != '\0') ? std::string(env) : std::string(kDefaultTelephonyProvider);
}

}  // namespace zylma::telephony

using zylma::telephony::call;

LONG lineInitializeExA(HLINEAPP* app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName, DWORD* numDevs,
                       DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params) {
    return call<PFN_lineInitializeExA>("lineInitializeExA", app, instance, callback, appName, numDevs, apiVersion,
                                       params);
}
LONG lineInitialize(HLINEAPP* app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName, DWORD* numDevs) {
    return call<PFN_lineInitialize>("lineInitialize", app, instance, callback, appName, numDevs);
}
LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD deviceId, DWORD lowVersion, DWORD highVersion, DWORD* apiVersion,
                             LINEEXTENSIONID* extensionId) {
    return call<PFN_lineNegotiateAPIVersion>("lineNegotiateAPIVersion", app, deviceId, lowVersion, highVersion,
                                             apiVersion, extensionId);
}
LONG lineGetDevCapsA(HLINEAPP app, DWORD deviceId, DWORD apiVersion, DWORD extVersion, LINEDEVCAPS* caps) {
    return call<PFN_lineGetDevCapsA>("lineGetDevCapsA", app, deviceId, apiVersion, extVersion, caps);
}
LONG lineOpenA(HLINEAPP app, DWORD deviceId, HLINE* line, DWORD apiVersion, DWORD extVersion, DWORD callbackInstance,
               DWORD privileges, DWORD mediaModes, const LINECALLPARAMS* params) {
    return call<PFN_lineOpenA>("lineOpenA", app, deviceId, line, apiVersion, extVersion, callbackInstance, privileges,
                               mediaModes, params);
}
LONG lineMakeCallA(HLINE line, HCALL* callHandle, LPCSTR address, DWORD countryCode, const LINECALLPARAMS* params) {
    return call<PFN_lineMakeCallA>("lineMakeCallA", line, callHandle, address, countryCode, params);
}
LONG lineGetMessage(HLINEAPP app, LINEMESSAGE* message, DWORD timeout) {
    return call<PFN_lineGetMessage>("lineGetMessage", app, message, timeout);
}
LONG lineGetCallStatus(HCALL callHandle, LINECALLSTATUS* status) {
    return call<PFN_lineGetCallStatus>("lineGetCallStatus", callHandle, status);
}
LONG lineDrop(HCALL callHandle, LPCSTR userUserInfo, DWORD size) {
    return call<PFN_lineDrop>("lineDrop", callHandle, userUserInfo, size);
}
LONG lineDeallocateCall(HCALL callHandle) { return call<PFN_lineDeallocateCall>("lineDeallocateCall", callHandle); }
LONG lineClose(HLINE line) { return call<PFN_lineClose>("lineClose", line); }
LONG lineShutdown(HLINEAPP app) { return call<PFN_lineShutdown>("lineShutdown", app); }

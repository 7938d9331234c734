// Loads the real dialler builds and points them at the scripted provider.
#pragma once

#include "zylma/telephony/scripted.h"
#include "zylma/winapi/services.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace zylma::testing {

using QrxFunction = std::int32_t (*)(std::int32_t, const char*);

struct Build {
    const char* name;
    const char* path;
    bool older;
};

inline const Build kStandard{"standard", QRX_STANDARD, false};
inline const Build kOlder{"older", QRX_OLDER, true};

inline QrxFunction loadQrx(const char* path) {
    static std::map<std::string, QrxFunction> loaded;
    auto it = loaded.find(path);
    if (it != loaded.end()) return it->second;
    void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        return nullptr;
    }
    auto fn = reinterpret_cast<QrxFunction>(dlsym(h, "QRX"));
    loaded[path] = fn;
    return fn;
}

namespace tel = zylma::telephony::scripted;

// Milliseconds after the call request at which the log line starting with `prefix` came.
inline long long afterRequest(const std::string& prefix) {
    int placed = tel::find("lineMakeCallA");
    int at = tel::find(prefix, placed < 0 ? 0 : placed);
    if (placed < 0 || at < 0) return -1;
    return static_cast<long long>(static_cast<DWORD>(tel::logTimes()[at] - tel::logTimes()[placed]));
}

inline std::string kzq(const std::string& text, unsigned icon) { return "KZQ|" + text + "|" + std::to_string(icon); }
inline const std::string kOkBox = kzq("¡ OK !", 0x40);
inline const std::string kErrorBox = kzq("¡ Error de comunicaciones !", 0x10);

// One call of QRX on a fresh script; checks what every call must leave behind.
class QrxCall {
public:
    explicit QrxCall(const Build& build, const char* provider = TAPI_SCRIPTED) : build_(build) {
        tel::reset();
        setenv("ZYLMA_TELEPHONY", provider, 1);
        blocks_ = zylma::winapi::localBlocksInUse();
    }
    std::int32_t operator()(const char* text = "123,4f") {
        QrxFunction qrx = loadQrx(build_.path);
        return qrx != nullptr ? qrx(0, text) : -1;
    }
    // Nothing left: no registration, line, call or block, and exactly one box.
    void expectReleased() const {
        EXPECT_EQ(tel::liveApps(), 0);
        EXPECT_EQ(tel::openLines(), 0);
        EXPECT_EQ(tel::liveCalls(), 0);
        EXPECT_EQ(zylma::winapi::localBlocksInUse(), blocks_);
        EXPECT_EQ(tel::boxes().size(), 1u);
    }

private:
    const Build& build_;
    std::size_t blocks_ = 0;
};

}  // namespace zylma::testing

// The library's one entry: QRX(instance, text) places one call and tells the user the outcome.
#include "ansi_text.h"
#include "modem_dialer.h"

#include <cstdint>

#define ZYLMA_EXPORT extern "C" __attribute__((visibility("default")))

ZYLMA_EXPORT std::int32_t QRX(std::int32_t instance, const char* text) {
    using zylma::dialler::ModemDialer;
    // The older build pumps the program's events while it waits, and a modal box may run
    // them too: a second call started from there must not reuse the line of the first.
    if (ModemDialer::busy()) {
        static constexpr zylma::dialler::AnsiText kError{"¡ Error de comunicaciones !"};
        MessageBoxA(nullptr, kError.c_str(), "KZQ", MB_OK | MB_ICONHAND);
        return 0;
    }
    ModemDialer dialer;
    return dialer.RunCall(static_cast<HINSTANCE>(instance), text != nullptr ? text : "");
}

// Kept for the library's shape; the loader never needs it.
ZYLMA_EXPORT BOOL DllMain(HINSTANCE, DWORD, void*) { return TRUE; }

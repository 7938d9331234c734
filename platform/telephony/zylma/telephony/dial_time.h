// How long a modem needs to dial a text at its own pace. The dialler waits that much longer
// for the call's outcome, and the modem provider reports the call as dialling for that long:
// both read the pace from the line's default dial parameters, so they agree.
#pragma once

#include "zylma/telephony/tapi.h"

#include <cstdint>

namespace zylma::telephony {

// The wait for dial tone, then a tone and a gap for every key and a pause for every ",";
// anything else in the text takes no time. Saturates instead of wrapping.
inline DWORD dialDuration(const char* text, const LINEDIALPARAMS& pace) {
    std::uint64_t ms = pace.dwWaitForDialtone;
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
        const char k = *c;
        if ((k >= '0' && k <= '9') || k == '*' || k == '#')
            ms += std::uint64_t{pace.dwDigitDuration} + pace.dwDialSpeed;
        else if (k == ',')
            ms += pace.dwDialPause;
        if (ms >= 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<DWORD>(ms);
}

}  // namespace zylma::telephony

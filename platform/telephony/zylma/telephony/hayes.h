// The Hayes command set as the modem provider speaks it: what a command string becomes on the
// dial line, and what each result code means for the call.
#pragma once

#include "zylma/telephony/tapi.h"

#include <optional>
#include <string>

namespace zylma::telephony::hayes {

// The text to follow "ATDT", or nothing when the text cannot be dialled. Digits, "*", "#"
// and "," (the modem's own pause) pass as they are. The program's command strings end in an
// "f", the device's end-of-command mark on the serial link; a tone line has no such key, so a
// trailing "f" is left off. Anything else is refused.
std::optional<std::string> dialString(const std::string& text);

enum class Result { None, Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };
// One line from the modem (without its CR LF); "CONNECT 9600" is a Connect.
Result classify(const std::string& line);

// What a result code does to a dialled call: its new state and mode. Ok and the lines that
// are not result codes change nothing (state 0).
struct CallChange {
    DWORD state = 0;
    DWORD mode = 0;
    bool refused = false;  // the modem refused the dial command itself
};
CallChange callChange(Result result);

}  // namespace zylma::telephony::hayes

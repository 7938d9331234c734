// The Hayes command set as the modem provider speaks it: what a command string becomes on the
// dial line, and what each result code means for the call.
#pragma once

#include "zylma/telephony/tapi.h"

#include <optional>
#include <string>

namespace zylma::telephony::hayes {

// The text to follow "ATDT", or nothing when the text cannot be dialled. Digits, "*", "#"
// and "," (the modem's own pause) pass as they are. A command string may still end in an
// "f", the device's end-of-command mark on the serial link; a tone line has no such key, so a
// trailing "f" is left off. Anything else is refused (";" too: it would end the dial command
// before the far end's answer).
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

// The set-up before every call: no echo, result codes on and in words, and X4, which has the
// modem listen for dial tone and busy tone and say NO DIALTONE and BUSY. Busy is how a
// device that took its keys answers, so without it a good dial looks like silence.
inline constexpr const char* kSetup = "ATE0Q0V1X4";

// The registers that fix how long a dial takes: S6 seconds of wait for dial tone, S8 seconds
// a "," pause, S11 milliseconds of tone (and as much of gap) per key. The values are the
// usual factory ones, kept when a modem will not tell its own.
struct Registers {
    unsigned s6 = 2;
    unsigned s8 = 2;
    unsigned s11 = 95;
};
LINEDIALPARAMS dialPace(const Registers& r);
// The value of an "ATSn?" answer line ("002", "95"), or nothing when it is not a number.
std::optional<unsigned> registerValue(const std::string& line);

}  // namespace zylma::telephony::hayes

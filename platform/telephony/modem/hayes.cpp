#include "zylma/telephony/hayes.h"

#include <cctype>

namespace zylma::telephony::hayes {

std::optional<std::string> dialString(const std::string& text) {
    std::string s = text;
    if (!s.empty() && (s.back() == 'f' || s.back() == 'F')) s.pop_back();
    if (s.empty()) return std::nullopt;
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || c == ',')) return std::nullopt;
    return s;
}

Result classify(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\n')) line.pop_back();
    auto starts = [&line](const char* p) { return line.rfind(p, 0) == 0; };
    if (line == "OK" || line == "0") return Result::Ok;
    if (starts("CONNECT") || line == "1") return Result::Connect;
    if (line == "RING" || line == "2") return Result::Ring;
    if (line == "NO CARRIER" || line == "3") return Result::NoCarrier;
    if (line == "ERROR" || line == "4") return Result::Error;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE" || line == "6") return Result::NoDialtone;
    if (line == "BUSY" || line == "7") return Result::Busy;
    if (line == "NO ANSWER" || line == "8") return Result::NoAnswer;
    return Result::None;
}

CallChange callChange(Result result) {
    switch (result) {
    case Result::Connect: return {LINECALLSTATE_CONNECTED, 0, false};
    case Result::Busy: return {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY, false};
    case Result::NoDialtone: return {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NODIALTONE, false};
    case Result::NoCarrier: return {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL, false};
    case Result::NoAnswer: return {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER, false};
    // The modem would not take the dial command: the number cannot be dialled.
    case Result::Error: return {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS, true};
    default: return {};
    }
}

LINEDIALPARAMS dialPace(const Registers& r) {
    LINEDIALPARAMS p{};
    p.dwDialPause = r.s8 * 1000;
    p.dwDialSpeed = r.s11;
    p.dwDigitDuration = r.s11;
    p.dwWaitForDialtone = r.s6 * 1000;
    return p;
}

std::optional<unsigned> registerValue(const std::string& line) {
    std::size_t a = line.find_first_not_of(' ');
    std::size_t b = line.find_last_not_of(' ');
    if (a == std::string::npos || b - a + 1 > 3) return std::nullopt;
    unsigned v = 0;
    for (std::size_t i = a; i <= b; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return std::nullopt;
        v = v * 10 + static_cast<unsigned>(line[i] - '0');
    }
    if (v > 255) return std::nullopt;  // a register holds a byte
    return v;
}

}  // namespace zylma::telephony::hayes

// The simulated Sonobrisa: its factory image, where a written data part lands, and its remote
// commands.
#include "modelos/modelos_propios.h"

#include "zylma/codec/conversores.h"

#include <algorithm>
#include <string>

namespace zylma::sim {

namespace {

// The device's memory, 0-based offsets into the map-form image, one character per byte in the
// low nibble ("A" for 0, "B" for "*", "C" for "#", "F" for none): 10-19 the authorisation code,
// 20-29 the key, 30-31 the alert digit; 32-33 the flag byte; 34-39 the interventions.
constexpr std::size_t kAut = 10, kKey = 20, kAlert = 30, kFlags = 32, kInterventions = 34;

// The flag byte, bit by bit: which command digit toggles which bit (offset from 32, value).
struct Toggle {
    char digit;
    std::size_t nibble;
    int bit;
    std::string_view what;
};
constexpr Toggle kToggles[] = {
    {'1', 1, 1, "restriction 1"}, {'7', 0, 1, "restriction 4"}, {'5', 1, 8, "restriction 7"},
    {'8', 0, 2, "tone dialling"}, {'9', 0, 4, "recording lock"},
};

char digitCode(char c) {
    if (c == '0') return 'A';
    if (c >= '1' && c <= '9') return c;
    if (c == '*') return 'B';
    if (c == '#') return 'C';
    if (c == 'F') return 'F';
    return 0;
}

// Five characters as the device keeps them: digits, the third one "*".
bool isStarCode(std::string_view t) {
    return t.size() == 5 && t[2] == '*' && t.find_first_not_of("0123456789", 0) == 2 &&
           t.substr(3).find_first_not_of("0123456789") == std::string::npos;
}

std::string readFive(const std::string& image, std::size_t at) {
    std::string out;
    for (std::size_t i = 0; i < 5; ++i) {
        const char c = image[at + 2 * i + 1];
        out += c == 'A' ? '0' : c == 'B' ? '*' : c == 'C' ? '#' : c;
    }
    return out;
}

void writeChars(std::string& image, std::size_t at, std::string_view chars) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
        image[at + 2 * i] = '0';
        image[at + 2 * i + 1] = digitCode(chars[i]);
    }
}

// The data part: map positions 11 to 40 and a closing "f" (31 characters). Strict mode refuses
// a part of another length or a byte that cannot be there; lenient mode stores what it can, a
// bad byte as "no digit" (a bad flag byte as all off).
Placement place(std::string& image, const codec::ModeloTrama&, std::string_view data, bool strict) {
    Placement p;
    constexpr std::size_t kLength = 31;
    if (data.size() != kLength || data.back() != 'f') {
        p.message = "data part of " + std::to_string(data.size()) + " characters, expected 30 and \"f\"";
        if (strict) return p;
        p.message += "; ";
    }
    std::string_view body = data.substr(0, std::min(data.size(), kLength - 1));
    std::string next = image;
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
        const std::size_t at = kAut + i;
        const char hi = body[i], lo = body[i + 1];
        std::string stored;
        if (at == kFlags) {
            const bool hex = codec::DigitoHex(codec::ValorDigitoHex(hi))[0] == hi &&
                             codec::DigitoHex(codec::ValorDigitoHex(lo))[0] == lo;
            if (hex && !(codec::ValorDigitoHex(hi) & 8) && !(codec::ValorDigitoHex(lo) & 6)) stored = {hi, lo};
        } else {
            const char code = digitCode(lo);
            const bool onlyDigits = at >= kInterventions;
            if (hi == '0' && code && (!onlyDigits || (lo >= '0' && lo <= '9'))) stored = {'0', code};
        }
        if (stored.empty()) {
            const std::string what = "byte at map position " + std::to_string(at + 1) + " is \"" +
                                     std::string(body.substr(i, 2)) + "\"";
            if (strict) {
                p.message = what;
                return p;
            }
            p.message += what + ", stored as none; ";
            stored = at == kFlags ? "00" : "0F";
        }
        next.replace(at, 2, stored);
    }
    image = next;
    p.stored = true;
    return p;
}

// A command is the key, one command digit, its argument and "f", with a "," between every two
// characters: the key change is the old key, "3", the new key.
std::string remote(std::string& image, std::string_view command) {
    std::string keys;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (i % 2 == 1) {
            if (command[i] != ',') return "";
            continue;
        }
        keys += command[i];
    }
    if (keys.size() < 7 || keys.back() != 'f') return "";
    const std::string key = keys.substr(0, 5);
    if (key != readFive(image, kKey)) return "remote command refused: wrong key \"" + key + "\"";
    const char digit = keys[5];
    const std::string arg = keys.substr(6, keys.size() - 7);
    for (const Toggle& t : kToggles) {
        if (digit != t.digit) continue;
        if (!arg.empty()) return std::string(t.what) + " refused: \"" + arg + "\" after it";
        char& nib = image[kFlags + t.nibble];
        const int v = codec::ValorDigitoHex(nib) ^ t.bit;
        nib = codec::DigitoHex(v)[0];
        return std::string(t.what) + ((v & t.bit) ? " on" : " off");
    }
    if (digit == '3') {
        if (!isStarCode(arg) || arg[0] == '0') return "key change refused: \"" + arg + "\"";
        writeChars(image, kKey, arg);
        return "key changed to " + arg;
    }
    if (digit == '2') {
        if (!isStarCode(arg)) return "authorisation code refused: \"" + arg + "\"";
        writeChars(image, kAut, arg);
        return "authorisation code " + arg;
    }
    if (digit == '6') {
        if (arg.size() != 1 || !digitCode(arg[0]) || arg[0] == 'F') return "alert digit refused: \"" + arg + "\"";
        writeChars(image, kAlert, arg);
        return "alert digit " + arg;
    }
    return "";
}

// A Sonobrisa as it leaves the factory: authorisation code 00*00, key 12*34, no alert digit,
// every flag off, no interventions.
std::string defaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(kAut, 30, "0A0A0B0A0A" "01020B0304" "0F" "00" "0A0A0A");
    for (std::size_t i = 40; i < codec::kDigitosBloque; ++i) mapa[i] = 'F';
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks sonobrisaHooks() {
    ModelHooks h;
    h.defaultImage = defaultImage;
    h.placeDataPart = place;
    h.dataPartLength = 31;
    h.remoteCommand = remote;
    return h;
}

}  // namespace zylma::sim

// The simulated Plurimandelo: its factory image, where a written data part lands, and its
// remote commands.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <string>
#include <vector>

namespace zylma::sim {

namespace {

// The device's memory, 0-based offsets into the map-form image:
//   10-13 key (one digit per nibble, 0 kept as "A"); 14-15 "00"; 16-21 trunk digits, one per
//   byte in the low nibble ("A" 0, "B" "*", "C" "#", "F" none); 22-31 the switch nibbles;
//   32-37 free-call duration, 38-43 prohibited-call duration, one digit per byte.
constexpr std::size_t kKey = 10, kTrunk = 16, kSwitches = 22, kFree = 32, kProhibited = 38;

// Which nibble and bit each switch command moves (nibble from offset 22).
struct Switch {
    std::string_view code;
    std::size_t nibble;
    int bit;
};
constexpr Switch kSwitchesByCode[] = {
    // General restrictions 1 to 6.
    {"#50", 2, 1}, {"#52", 3, 4}, {"#64", 0, 1}, {"#53", 0, 2}, {"#71", 1, 4}, {"#54", 3, 2},
    // Number-prefix groups 0 to 8.
    {"#41", 4, 4}, {"#42", 4, 2}, {"#43", 4, 1}, {"#44", 5, 4}, {"#45", 5, 2}, {"#46", 5, 1},
    {"#47", 6, 4}, {"#48", 6, 2}, {"#49", 6, 1},
    // Long-distance services 0 to 5.
    {"#51", 7, 4}, {"#55", 7, 2}, {"#58", 7, 1}, {"#61", 9, 4}, {"#62", 9, 2}, {"#63", 9, 1},
};

char digitCode(char c) {
    if (c == '0') return 'A';
    if (c >= '1' && c <= '9') return c;
    if (c == '*') return 'B';
    if (c == '#') return 'C';
    if (c == 'F' || c == 'A' || c == 'B' || c == 'C') return c;
    return 0;
}

bool isDigits(std::string_view t) { return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos; }

std::string deviceKey(const std::string& image) { return codec::CambiaAPorCero(image.substr(kKey, 4)); }

void putDigits(std::string& image, std::size_t at, std::string_view three) {
    for (std::size_t i = 0; i < 3; ++i) {
        image[at + 2 * i] = '0';
        image[at + 2 * i + 1] = digitCode(three[i]);
    }
}

// The data part: map positions 7 to 44 and a closing "f" (39 characters), just where the
// generic placement puts it. Strict mode first asks what the frame itself refuses, then holds
// the part to the Plurimandelo's own bytes; lenient mode stores what it can, as the generic
// placement does, in the device's digit code.
Placement place(std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
    if (!strict) {
        Placement g = genericPlaceDataPart(image, m, data, false);
        if (g.stored) {
            for (std::size_t i = 0; i < 4; ++i)
                if (image[kKey + i] == '0') image[kKey + i] = 'A';
            for (std::size_t at : {kTrunk, kFree, kProhibited})
                for (std::size_t i = 0; i < 3; ++i)
                    if (image[at + 2 * i + 1] == '0') image[at + 2 * i + 1] = 'A';
        }
        return g;
    }
    {
        std::string copy = image;
        Placement g = genericPlaceDataPart(copy, m, data, true);
        if (!g.stored) return g;
    }
    Placement p;
    constexpr std::size_t kLength = 39;
    if (data.size() != kLength || data.back() != 'f') {
        p.message = "data part of " + std::to_string(data.size()) + " characters, expected 38 and \"f\"";
        return p;
    }
    std::string body(data.substr(0, kLength - 1));
    std::string next = image;
    next.replace(6, 4, body.substr(0, 4));  // modifier code
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = body[4 + i];
        if (c < '0' || c > '9') {
            p.message = "key digit " + std::to_string(i + 1) + " is \"" + std::string(1, c) + "\"";
            return p;
        }
        next[kKey + i] = c == '0' ? 'A' : c;
    }
    if (body.substr(8, 2) != "00") {
        p.message = "map positions 15-16 are \"" + body.substr(8, 2) + "\", not \"00\"";
        return p;
    }
    next.replace(14, 2, "00");
    for (std::size_t at : {kTrunk, kFree, kProhibited}) {
        for (std::size_t i = 0; i < 3; ++i) {
            const char hi = body[at - 6 + 2 * i], lo = body[at - 6 + 2 * i + 1];
            const char code = digitCode(lo);
            const bool durationDigit = at == kTrunk || (lo >= '0' && lo <= '9');
            if (hi != '0' || !code || !durationDigit) {
                p.message = "byte at map position " + std::to_string(at + 2 * i + 1) + " is \"" + std::string(1, hi) +
                            std::string(1, lo) + "\"";
                return p;
            }
            next[at + 2 * i] = '0';
            next[at + 2 * i + 1] = code;
        }
    }
    for (std::size_t i = 0; i < 10; ++i) {
        const char c = body[kSwitches - 6 + i];
        if (c < '0' || c > '7' || (i == 8 && c != '0')) {
            p.message = "switch nibble " + std::to_string(i + 1) + " is \"" + std::string(1, c) + "\"";
            return p;
        }
        next[kSwitches + i] = c;
    }
    image = next;
    p.stored = true;
    return p;
}

std::string remote(std::string& image, std::string_view command) {
    const std::vector<std::string> parts = Partes(command);
    if (parts.size() < 3 || parts[0].empty() || parts[0][0] != '#') return "";
    if (parts[1] != deviceKey(image)) return "remote command refused: wrong key \"" + parts[1] + "\"";
    const std::string& code = parts[0];
    if (code == "#20") {
        const std::string& key = parts[2];
        if (parts.size() != 3 || key.size() != 4 || !isDigits(key) || key[0] == '0')
            return "key change refused: \"" + key + "\"";
        for (std::size_t i = 0; i < 4; ++i) image[kKey + i] = key[i] == '0' ? 'A' : key[i];
        return "key changed to " + key;
    }
    if (code == "#21" || code == "#22") {
        const std::string& v = parts[2];
        if (parts.size() != 3 || !isDigits(v) || v.size() > 3 || std::stoi(v) > 255)
            return "duration refused: \"" + v + "\"";
        putDigits(image, code == "#21" ? kProhibited : kFree, std::string(3 - v.size(), '0') + v);
        return std::string(code == "#21" ? "prohibited" : "free") + "-call duration " + v;
    }
    if (code == "#23") {
        if (parts.size() != 5) return "trunk digits refused: " + std::to_string(parts.size() - 2) + " parts";
        // Three places of one digit each; a short code leaves its last places empty, and an
        // empty place is kept as the no-digit "F". A digit after an empty place is no code.
        std::string three;
        bool hole = false;
        for (std::size_t i = 2; i < 5; ++i) {
            const std::string& d = parts[i];
            if (d.size() > 1 || d.find_first_not_of("0123456789*#") != std::string::npos || (hole && !d.empty()))
                return "trunk digits refused: \"" + d + "\"";
            hole = hole || d.empty();
            three += d;
        }
        std::string lugares = three;
        lugares.resize(3, 'F');
        putDigits(image, kTrunk, lugares);
        return "trunk digits \"" + three + "\"";
    }
    for (const Switch& s : kSwitchesByCode) {
        if (code != s.code) continue;
        if (parts.size() != 3 || (parts[2] != "9" && parts[2] != "0"))
            return "switch " + code + " refused: option \"" + parts[2] + "\"";
        PonBit(image[kSwitches + s.nibble], s.bit, parts[2] == "9");
        return "switch " + code + (parts[2] == "9" ? " on" : " off");
    }
    return "";
}

// A Plurimandelo as it leaves the factory: key 1234, no trunk digits, every switch off, free
// calls 180 and prohibited calls 5.
std::string defaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(10, 34, "1234" "00" "0F0F0F" "0000" "000000" "01080A" "0A0A05");
    for (std::size_t i = 44; i < codec::kDigitosBloque; ++i) mapa[i] = 'F';
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks plurimandeloHooks() {
    ModelHooks h;
    h.defaultImage = defaultImage;
    h.placeDataPart = place;
    h.dataPartLength = 39;
    h.remoteCommand = remote;
    return h;
}

}  // namespace zylma::sim

#include "zylma/sim/modelos.h"

#include <cstdio>
#include <string>
#include <vector>

#include "zylma/codec/conversores.h"

namespace zylma::sim {

namespace {

using codec::kDigitosBloque;

// Map index (0-based) of data character i, or npos past the model's room for data.
std::size_t dataIndex(const codec::ModeloTrama& m, std::size_t i) {
    constexpr std::size_t room1 = kDigitosBloque - 6;  // after model code, version, user type
    if (i < room1) return 6 + i;
    if (m.bloques == 2 && i < room1 + kDigitosBloque) return kDigitosBloque + 4 + (i - room1);
    return std::string::npos;
}

std::size_t dataRoom(const codec::ModeloTrama& m) {
    if (m.bloques == 0) return 0;
    return (kDigitosBloque - 6) + (m.bloques == 2 ? kDigitosBloque : 0);
}

char deviceChar(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) return c;
    if (c == '*') return 'B';
    if (c == '#') return 'C';
    return 0;
}

// The Selvarindo answers a short frame of its own: model code, version as two decimal
// characters, user type, modifier, both switches off ("0A"), key and outgoing-call key 0000 in
// the device digit code, filler, and the frame end.
std::string selvarindoDefaultImage(int version) {
    char v[3];
    std::snprintf(v, sizeof v, "%02d", ((version % 100) + 100) % 100);
    std::string mapa = std::string("08") + v + "09" + "0001" + "0A" + "0A" + "0A0A0A0A" + "0A0A0A0A";
    mapa.resize(132, 'F');
    return mapa + "03FE";
}

// The Téndro's remote commands as the device takes them: "#<code>,<key>,<option>" sets or
// clears one restriction ("9" on, "0" off), "#2,<old key>,<new key>" changes the key; either
// only with the device's own key. Map positions 11-14 hold the key, 17-20 the four flag nibbles.
struct TendroBit {
    std::string_view codigo;
    std::size_t nibble;  // 0 to 3, from map position 17
    int valor;
};
constexpr TendroBit kTendroBits[] = {
    {"#1", 2, 1}, {"#3", 3, 4}, {"#4", 0, 1}, {"#5", 0, 2}, {"#6", 1, 4}, {"#9", 3, 2},
};

std::string tendroKey(const std::string& image) { return codec::CambiaAPorCero(image.substr(10, 4)); }

std::string tendroRemote(std::string& image, std::string_view command) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : command) {
        if (c == ',') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    if (parts.size() != 3) return "";
    if (parts[1] != tendroKey(image)) return "remote command refused: wrong key \"" + parts[1] + "\"";
    if (parts[0] == "#2") {
        const std::string& nueva = parts[2];
        if (nueva.size() != 4 || nueva.find_first_not_of("0123456789") != std::string::npos)
            return "key change refused: \"" + nueva + "\"";
        for (std::size_t i = 0; i < 4; ++i) image[10 + i] = nueva[i] == '0' ? 'A' : nueva[i];
        return "key changed to " + nueva;
    }
    for (const TendroBit& b : kTendroBits) {
        if (parts[0] != b.codigo) continue;
        if (parts[2] != "9" && parts[2] != "0") return "restriction " + parts[0] + " refused: option \"" + parts[2] + "\"";
        char& nib = image[16 + b.nibble];
        int v = codec::ValorDigitoHex(nib);
        v = parts[2] == "9" ? (v | b.valor) : (v & ~b.valor);
        nib = codec::DigitoHex(v)[0];
        return "restriction " + parts[0] + (parts[2] == "9" ? " on" : " off");
    }
    return "";
}

// A Téndro as it leaves the factory: key 1234, no restriction on.
std::string tendroDefaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(10, 4, "1234");
    mapa.replace(14, 2, "66");
    mapa.replace(16, 6, "00006E");
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

ModelHooks tendroHooks() {
    ModelHooks h;
    h.defaultImage = tendroDefaultImage;
    // Modifier code, key, "FF" and the two flag bytes: map positions 7 to 20, as the generic
    // placement puts them.
    h.dataPartLength = 14;
    h.remoteCommand = tendroRemote;
    return h;
}

// The models with behaviour of their own, by wire-form code; each model unit adds its entry.
struct Entry {
    std::string_view code;
    ModelHooks (*hooks)();
};
constexpr Entry kOwn[] = {
    {"00", tendroHooks},
};

}  // namespace

std::string genericDefaultImage(const codec::ModeloTrama& m, int version) {
    if (m.bloques == 0) return selvarindoDefaultImage(version);
    std::string mapa = std::string(m.codigoMapa) + codec::DecimalAHex2(static_cast<long long>(version & 0xFF)) +
                       "09" + "0001";
    mapa.resize(kDigitosBloque, '0');  // restrictions off, counters zero
    mapa += "00";
    if (m.bloques == 2) {
        mapa += "45" + std::string(kDigitosBloque, '0') + "00";
    }
    mapa += "03FE";
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

Placement genericPlaceDataPart(std::string& image, const codec::ModeloTrama& m,
                               std::string_view data, bool strict,
                               std::optional<std::size_t> expectedLength) {
    Placement p;
    if (m.bloques == 0) {
        p.message = "no layout known for the data part of the " + std::string(m.nombre);
        return p;
    }
    if (strict && expectedLength && data.size() != *expectedLength) {
        p.message = "data part of " + std::to_string(data.size()) + " characters, expected " +
                    std::to_string(*expectedLength);
        return p;
    }
    std::string_view cuerpo = data;
    if (!cuerpo.empty() && cuerpo.back() == 'f') cuerpo.remove_suffix(1);
    if (strict && cuerpo.empty()) {
        p.message = "empty data part";
        return p;
    }
    std::size_t room = dataRoom(m);
    if (cuerpo.size() > room) {
        if (strict) {
            p.message = "data part of " + std::to_string(data.size()) + " characters, room for " +
                        std::to_string(room);
            return p;
        }
        p.message = "data part cut to " + std::to_string(room) + " characters; ";
        cuerpo = cuerpo.substr(0, room);
    }
    std::string stored;
    stored.reserve(cuerpo.size());
    for (std::size_t i = 0; i < cuerpo.size(); ++i) {
        char d = deviceChar(cuerpo[i]);
        if (!d) {
            if (strict) {
                p.message = "data part holds a character that cannot be in it, at position " +
                            std::to_string(i + 1);
                return p;
            }
            p.message += "character " + std::to_string(i + 1) + " stored as F; ";
            d = 'F';
        }
        stored += d;
    }
    if (image.size() < codec::LongitudMapa(m)) image.resize(codec::LongitudMapa(m), 'F');
    for (std::size_t i = 0; i < stored.size(); ++i) image[dataIndex(m, i)] = stored[i];
    p.stored = true;
    return p;
}

ModelHooks hooksFor(std::string_view wireCode, const ModelHooks& overrides) {
    ModelHooks h;
    for (const auto& e : kOwn) {
        if (e.code == wireCode) h = e.hooks();
    }
    if (overrides.defaultImage) h.defaultImage = overrides.defaultImage;
    if (overrides.placeDataPart) h.placeDataPart = overrides.placeDataPart;
    if (overrides.remoteCommand) h.remoteCommand = overrides.remoteCommand;
    if (overrides.dataPartLength) h.dataPartLength = overrides.dataPartLength;

    std::optional<std::size_t> length = h.dataPartLength;
    if (!h.defaultImage) h.defaultImage = genericDefaultImage;
    if (!h.placeDataPart) {
        h.placeDataPart = [length](std::string& image, const codec::ModeloTrama& m,
                                   std::string_view data, bool strict) {
            return genericPlaceDataPart(image, m, data, strict, length);
        };
    }
    if (!h.remoteCommand) {
        h.remoteCommand = [](std::string&, std::string_view) { return std::string(); };
    }
    return h;
}

}  // namespace zylma::sim

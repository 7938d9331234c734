#include "zylma/sim/modelos.h"

#include <cstdio>
#include <string>
#include <vector>

#include "zylma/codec/conversores.h"
#include "modelos/modelos_propios.h"

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

// The models with behaviour of their own, by wire-form code; each model unit adds its entry.
struct Entry {
    std::string_view code;
    ModelHooks (*hooks)();
};
// Each model's own behaviour lives in modelos/<model>.cpp.
constexpr Entry kOwn[] = {
    {"00", tendroHooks},       {"02", quintavoHooks},   {"03", plurimandeloHooks}, {"04", sonobrisaHooks},
    {"05", omniveldaHooks},    {"06", tresmolinaHooks}, {"08", selvarindoHooks},   {"0:", fenzoHooks},
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

Placement placeWithDigits(std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict,
                          std::size_t expectedLength, std::initializer_list<DigitosEquipo> digitos) {
    Placement p = genericPlaceDataPart(image, m, data, strict, expectedLength);
    if (!p.stored) return p;
    for (const DigitosEquipo& d : digitos)
        for (std::size_t i = d.desde; i <= d.hasta && i <= data.size(); i += d.paso) {
            const std::size_t at = dataIndex(m, i - 1);
            if (at < image.size() && image[at] == '0') image[at] = 'A';
        }
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

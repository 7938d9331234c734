// The simulated Téndro: its factory image and its remote commands.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <string>
#include <vector>

namespace zylma::sim {

namespace {

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
    const std::vector<std::string> parts = Partes(command);
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
        PonBit(image[16 + b.nibble], b.valor, parts[2] == "9");
        return "restriction " + parts[0] + (parts[2] == "9" ? " on" : " off");
    }
    return "";
}

// A Téndro as it leaves the factory: key 1234, no restriction on.
std::string tendroDefaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(10, 4, "1234");
    // Byte 9 as the tool leaves it: every write puts "FF" there.
    mapa.replace(14, 2, "FF");
    mapa.replace(16, 6, "00006E");
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks tendroHooks() {
    ModelHooks h;
    h.defaultImage = tendroDefaultImage;
    // Modifier code, key, "FF" and the two flag bytes: map positions 7 to 20, as the generic
    // placement puts them.
    h.dataPartLength = 14;
    // The key is kept in the device's digit code: a written "0" is stored as "A", as the key
    // change stores it and as every read gives it back.
    h.placeDataPart = [](std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
        Placement p = genericPlaceDataPart(image, m, data, strict, 14);
        if (p.stored)
            for (std::size_t i = 10; i < 14; ++i)
                if (image[i] == '0') image[i] = 'A';
        return p;
    };
    h.remoteCommand = tendroRemote;
    return h;
}


}  // namespace zylma::sim

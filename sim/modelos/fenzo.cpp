// The simulated Fenzo: its factory image, the length of its data part (which the firmware
// decides) and its remote commands, as the device itself keeps them.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <string>
#include <vector>

namespace zylma::sim {

namespace {

// The device's memory in map positions (from 1): key at 11 up to firmware 23, at 205 from 24 on;
// flags C at 17, B at 18, A at 20; counter, prohibited and free durations at 23, 29 and 35
// (digits on the even positions); telephone slots of 16 digits from 41, one after the other,
// the block-1 checksum and the "45" (129-132) lying inside slot 6; operation keys #02 to #05
// from 211, six apart.
bool nuevo(const std::string& image) { return codec::ValorDigitoHex(image[2]) * 16 + codec::ValorDigitoHex(image[3]) >= 24; }
std::size_t posClave(const std::string& image) { return nuevo(image) ? 205 : 11; }

std::string leeDigitos(const std::string& image, std::size_t pos, std::size_t n) {
    return codec::DigitosAMarcacion(image.substr(pos - 1, n));
}

// Slot s (0 = memory 01 ... 8 = memory 09, 9 = memory 00): its 16 map positions.
std::vector<std::size_t> posicionesMemoria(std::size_t slot) {
    std::vector<std::size_t> out;
    std::size_t pos = 41 + 16 * slot;
    if (pos > 128) pos += 4;
    while (out.size() < 16) {
        if (pos == 129) pos = 133;
        out.push_back(pos++);
    }
    return out;
}

std::string fenzoRemote(std::string& image, std::string_view command) {
    const std::vector<std::string> p = Partes(command);
    const std::string clave = leeDigitos(image, posClave(image), 5);
    const std::string& c0 = p[0];
    // "#1,<old>,1,,<new>" (or "#1,<old>,,,<new>" for firmware 8): the key change.
    if (c0 == "#1" && p.size() == 5) {
        if (p[1] != clave) return "key change refused: wrong key \"" + p[1] + "\"";
        if (p[4].size() != 5 || !SoloDigitos(p[4])) return "key change refused: \"" + p[4] + "\"";
        EscribeDigitos(image, 11, 5, p[4]);
        if (nuevo(image)) EscribeDigitos(image, 205, 5, p[4]);
        return "key changed to " + p[4];
    }
    // "#<code>,<key>,<option>": a flag ("9" on, "0" off) or a duration.
    if (p.size() == 3 && (c0 == "#6" || c0 == "#9" || c0.size() == 2)) {
        if (p[1] != clave) return "remote command refused: wrong key \"" + p[1] + "\"";
        return DuracionOBanderaFenzo(image, p);
    }
    // "#1<key>,<n>,<key n>", "#8<key>,<memory>,<digits>", "#7<key>".
    if (c0.size() > 2 && (c0.rfind("#1", 0) == 0 || c0.rfind("#8", 0) == 0 || c0.rfind("#7", 0) == 0)) {
        if (c0.substr(2) != clave) return "remote command refused: wrong key \"" + c0.substr(2) + "\"";
        const std::string codigo = c0.substr(0, 2);
        if (codigo == "#7" && p.size() == 1) {
            for (std::size_t pos : {24u, 26u, 28u}) image[pos - 1] = '0';
            return "call counter cleared";
        }
        if (p.size() != 3 || !SoloDigitos(p[2], "*#")) return "remote command refused: \"" + std::string(command) + "\"";
        if (codigo == "#1") {
            if (!nuevo(image) || p[1].size() != 1 || p[1] < "2" || p[1] > "5" || p[2].size() > 5)
                return "operation key refused: \"" + std::string(command) + "\"";
            EscribeDigitos(image, 211 + 6 * static_cast<std::size_t>(p[1][0] - '2'), 5, p[2]);
            return "operation key #0" + p[1] + " set to " + p[2];
        }
        if (p[1].size() != 1 || !SoloDigitos(p[1]) || p[2].size() > 16) return "memory refused: \"" + std::string(command) + "\"";
        const std::size_t slot = p[1] == "0" ? 9 : static_cast<std::size_t>(p[1][0] - '1');
        const std::vector<std::size_t> pos = posicionesMemoria(slot);
        for (std::size_t i = 0; i < 16; ++i) image[pos[i] - 1] = i < p[2].size() ? DigitoEquipo(p[2][i]) : 'F';
        return "memory 0" + p[1] + " set to " + p[2];
    }
    return "";
}

// A Fenzo as it leaves the factory: key 12345, nothing restricted, durations 5 and 180.
std::string fenzoDefaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(10, 6, "12345F");
    mapa.replace(16, 24, "000000" "000000" "000005" "010800");
    for (std::size_t pos = 41; pos <= 260; ++pos)
        if (pos < 129 || pos > 132) mapa[pos - 1] = 'F';
    if (version >= 24) mapa.replace(204, 6, "12345F");
    mapa.replace(234, 2, "6E");
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks fenzoHooks() {
    ModelHooks h;
    h.defaultImage = fenzoDefaultImage;
    // The generic placement fits (data character i at map position i + 6, on past block 1's
    // checksum and the "45"); only the length depends on the firmware.
    h.placeDataPart = [](std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
        // Keys and memories in the device's digit code: data characters 5-9 (the key), 35-194
        // (the memories), 195-224 (the second key and the operation keys, with their "F").
        return placeWithDigits(image, m, data, strict, nuevo(image) ? 224u : 194u, {{5, 9}, {35, 224}});
    };
    h.remoteCommand = fenzoRemote;
    return h;
}

}  // namespace zylma::sim

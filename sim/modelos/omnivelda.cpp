// The simulated Omnivelda: its factory image and its remote commands, described from the
// device's side.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <string>
#include <vector>

namespace zylma::sim {

namespace {

// Map-form indices (from 0) of the device's memory:
//   11 low nibble of byte 7: restriction 4, which also releases the memory table (value 1)
//   12 high nibble of byte 8: restriction 1 (value 1); 13 low nibble: value 1 always,
//      restriction 2 (value 2), restriction 3 (value 4)
//   17, 19, 21 time for free calls; 23, 25, 27 time for forbidden calls; 29, 31, 33 the
//      trunk-access digits (one per byte, low nibble)
//   34-37 key; 38 + 4k four-digit memory k; the sixteen-digit memories follow from 94 and run
//   on past block 1's checksum and the "45" (indices 128-131) into block 2.
constexpr std::size_t kLibera = 11;
constexpr std::size_t kTiempoLibre = 17, kTiempoProhibido = 23, kTroncal = 29;
constexpr std::size_t kClave = 34;
constexpr std::size_t kLongitudDatos = 248;

std::size_t memoria4(std::size_t k) { return 38 + 4 * k; }
std::size_t memoria16(std::size_t k, std::size_t j) {
    std::size_t i = 94 + 16 * k + j;
    return i < 128 ? i : i + 4;
}

struct OmnBit {
    std::string_view codigo;
    std::size_t indice;
    int valor;
};
constexpr OmnBit kBitsComando[] = {
    {"#24", 12, 1},      // restriction 1
    {"#25", 13, 2},      // restriction 2
    {"#28", kLibera, 1}, // memory-table release
};

// A dial digit in the device digit code: "A" for 0, "B" for "*", "C" for "#".
std::string clave(const std::string& image) { return codec::CambiaAPorCero(image.substr(kClave, 4)); }

// Three decimal digits, one per byte: `digito` is the index of the first one's low nibble.
void ponTiempo(std::string& image, std::size_t digito, long valor) {
    const char d[3] = {static_cast<char>('0' + valor / 100), static_cast<char>('0' + valor / 10 % 10),
                       static_cast<char>('0' + valor % 10)};
    for (std::size_t j = 0; j < 3; ++j) {
        image[digito - 1 + 2 * j] = '0';
        image[digito + 2 * j] = d[j];
    }
}

std::string omniveldaRemote(std::string& image, std::string_view command) {
    if (command.size() < 3 || command[0] != '#') return "";
    const std::string codigo(command.substr(0, 3));
    // "#20", "#27" and "#30" carry the key straight after the code; the others after a comma.
    const bool pegado = codigo == "#20" || codigo == "#27" || codigo == "#30";
    std::string_view resto = command.substr(3);
    if (!pegado) {
        if (resto.empty() || resto[0] != ',') return "remote command refused: \"" + std::string(command) + "\"";
        resto.remove_prefix(1);
    }
    std::vector<std::string> p = Partes(resto);
    if (p[0] != clave(image)) return "remote command refused: wrong key \"" + p[0] + "\"";

    if (codigo == "#20") {
        if (p.size() != 2 || p[1].size() != 4 || !SoloDigitos(p[1])) return "key change refused";
        for (std::size_t i = 0; i < 4; ++i) image[kClave + i] = p[1][i] == '0' ? 'A' : p[1][i];
        return "key changed to " + p[1];
    }
    if (codigo == "#30") {
        if (p.size() != 1) return "erase refused";
        for (std::size_t k = 0; k < 14; ++k) image.replace(memoria4(k), 4, "FFFF");
        for (std::size_t k = 0; k < 10; ++k)
            for (std::size_t j = 0; j < 16; ++j) image[memoria16(k, j)] = 'F';
        return "memories erased";
    }
    if (codigo == "#21" || codigo == "#22") {
        if (p.size() != 2 || p[1].empty() || p[1].size() > 3 || !SoloDigitos(p[1])) return "time refused";
        const long v = std::stol(p[1]);
        if (v > 255) return "time refused";
        ponTiempo(image, codigo == "#21" ? kTiempoProhibido : kTiempoLibre, v);
        return "time " + codigo + " set to " + p[1];
    }
    if (codigo == "#23") {
        if (p.size() != 4) return "trunk digits refused";
        // Three places of one digit each; a short code leaves its last places empty, and an
        // empty place is kept as the no-digit "F". A digit after an empty place is no code.
        bool hueco = false;
        for (std::size_t j = 0; j < 3; ++j) {
            const std::string& d = p[1 + j];
            if (d.size() > 1 || !SoloDigitos(d, "*#") || (hueco && !d.empty())) return "trunk digits refused";
            hueco = hueco || d.empty();
        }
        for (std::size_t j = 0; j < 3; ++j) {
            // One digit per byte, in its low nibble: map indices 29, 31 and 33.
            image[kTroncal - 1 + 2 * j] = '0';
            image[kTroncal + 2 * j] = p[1 + j].empty() ? 'F' : DigitoEquipo(p[1 + j][0]);
        }
        return "trunk digits set";
    }
    if (codigo == "#27") {
        if (p.size() != 3 || p[1].size() != 2 || !SoloDigitos(p[1]) || !SoloDigitos(p[2], "*#"))
            return "memory refused";
        const int n = std::stoi(p[1]);
        const std::size_t ancho = n < 14 ? 4 : 16;
        if (n > 23 || p[2].size() > ancho) return "memory refused";
        for (std::size_t j = 0; j < ancho; ++j) {
            const char d = j < p[2].size() ? DigitoEquipo(p[2][j]) : 'F';
            if (n < 14)
                image[memoria4(static_cast<std::size_t>(n)) + j] = d;
            else
                image[memoria16(static_cast<std::size_t>(n - 14), j)] = d;
        }
        return "memory " + p[1] + " set to " + p[2];
    }
    if (codigo == "#26") return "restriction 6 is not held by this device";
    for (const OmnBit& b : kBitsComando) {
        if (codigo != b.codigo) continue;
        if (p.size() != 2 || (p[1] != "9" && p[1] != "0")) return codigo + " refused: option";
        PonBit(image[b.indice], b.valor, p[1] == "9");
        return codigo + (p[1] == "9" ? " on" : " off");
    }
    return "";
}

// An Omnivelda as it leaves the factory: key 1234, no restriction on, free calls 180,
// forbidden calls 005, trunk access "9", every memory empty.
std::string omniveldaDefaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    std::string b1 = mapa.substr(0, 10) + "2001" "00" "010800" "000005" "090F0F" "1234";
    b1.resize(128, 'F');
    std::string b2(126, 'F');
    b2 += "6E";
    mapa = b1 + "00" "45" + b2 + "00" "03FE";
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks omniveldaHooks() {
    ModelHooks h;
    h.defaultImage = omniveldaDefaultImage;
    // Map positions 7-128 and 133-258, as the generic placement lays a two-block part out. A
    // strict device first judges what the part holds, then its length: 248 characters.
    h.placeDataPart = [](std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
        std::string nueva = image;
        // The trunk digits (one per byte, data characters 24, 26, 28), the key (29-32) and the
        // memories (33-248) in the device's digit code.
        Placement p = data.size() == kLongitudDatos
                          ? placeWithDigits(nueva, m, data, strict, kLongitudDatos, {{24, 28, 2}, {29, 248}})
                          : genericPlaceDataPart(nueva, m, data, strict);
        if (p.stored && strict && data.size() != kLongitudDatos) {
            p.stored = false;
            p.message = "data part of " + std::to_string(data.size()) + " characters, expected " +
                        std::to_string(kLongitudDatos);
        }
        if (p.stored) image = nueva;
        return p;
    };
    h.remoteCommand = omniveldaRemote;
    return h;
}

}  // namespace zylma::sim

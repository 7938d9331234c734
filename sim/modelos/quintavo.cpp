// The simulated Quintavo: its factory image, where a written data part lands, and its remote
// commands. Positions are those of the device's map (from 1, after the frame start):
//  3-4 version as two decimal characters, 11-15 key (16 "F"), 17/18/20 flag nibbles, 22 the
//  digits of a local call, 25-60 six settings of three digits (low nibbles), 61-124 memories
//  01-04, 125-128 + 133-144 memory 05, 145-149 the key again, 151-174 operation keys #02-#05.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zylma::sim {

namespace {

constexpr std::size_t kClave1 = 11, kClave2 = 145;
constexpr std::size_t kMemorias[] = {61, 77, 93, 109};

// A settings command: its code and the map position of the first of its three digits.
struct Ajuste {
    std::string_view codigo;
    std::size_t pos;
};
constexpr Ajuste kAjustes[] = {{"*7", 38}, {"*9", 50}, {"*8", 44}, {"*0", 56}};

// A flag command: its code, the position of its nibble and the bit.
struct Bandera {
    std::string_view codigo;
    std::size_t pos;
    int valor;
};
constexpr Bandera kBanderas[] = {{"*2", 20, 1}, {"*4", 17, 1}, {"*3", 17, 2}, {"#4", 20, 4}, {"*5", 20, 2}};

char& en(std::string& image, std::size_t pos) { return image[pos - 1]; }

std::string clave(const std::string& image) { return codec::DigitosAMarcacion(image.substr(kClave2 - 1, 5)); }

void escribeMemoria5(std::string& image, std::string_view digitos) {
    for (std::size_t i = 0; i < 16; ++i) {
        const std::size_t pos = i < 4 ? 125 + i : 133 + (i - 4);
        en(image, pos) = i < digitos.size() ? DigitoEquipo(digitos[i]) : 'F';
    }
}

// An empty field is no number here.
bool soloDigitos(std::string_view s, std::string_view otros = "") { return !s.empty() && SoloDigitos(s, otros); }

std::string quintavoRemote(std::string& image, std::string_view command) {
    if (command.size() < 3 || command.back() != 'f') return "";
    const std::string codigo(command.substr(0, 2));
    std::string resto(command.substr(2, command.size() - 3));
    // "*9" alone carries a separator between its code and the key.
    if (codigo == "*9" && !resto.empty() && resto[0] == ',') resto.erase(0, 1);
    std::vector<std::string> p = Partes(resto);
    const std::string propia = clave(image);

    if (codigo == "#1" || codigo == "#2") {
        if (p.size() != 1 || p[0] != propia) return "";
        const std::size_t pos = codigo == "#1" ? 25 : 31;
        for (std::size_t i = 0; i < 6; ++i) en(image, pos + i) = '0';
        return codigo == "#1" ? "metered-service counter cleared" : "long-distance counter cleared";
    }
    if (p.empty() || p[0] != propia) return "remote command refused: wrong key";

    if (codigo == "*1" && p.size() == 3) {
        const std::string& n = p[1];
        const std::string& nueva = p[2];
        if (n == "1") {
            if (nueva.size() != 5 || !soloDigitos(nueva)) return "key change refused: \"" + nueva + "\"";
            EscribeDigitos(image, kClave1, 5, nueva);
            EscribeDigitos(image, kClave2, 5, nueva);
            return "key changed to " + nueva;
        }
        if (n.size() == 1 && n[0] >= '2' && n[0] <= '5' && nueva.size() <= 5 && (nueva.empty() || soloDigitos(nueva))) {
            EscribeDigitos(image, 151 + 6 * static_cast<std::size_t>(n[0] - '2'), 5, nueva);
            return "operation key " + n + " set";
        }
        return "operation key refused";
    }
    if (codigo == "#3" && p.size() == 3) {
        const std::string& n = p[1];
        const std::string& numero = p[2];
        if (n.size() != 1 || n[0] < '1' || n[0] > '5' || numero.size() > 16 || (!numero.empty() && !soloDigitos(numero, "*#")))
            return "memory refused";
        if (n == "5") escribeMemoria5(image, numero);
        else EscribeDigitos(image, kMemorias[n[0] - '1'], 16, numero);
        return "memory " + n + " set";
    }
    if (p.size() != 2) return "";
    const std::string& v = p[1];
    for (const Bandera& b : kBanderas) {
        if (codigo != b.codigo) continue;
        if (v != "9" && v != "0") return "flag " + codigo + " refused: option \"" + v + "\"";
        PonBit(en(image, b.pos), b.valor, v == "9");
        return "flag " + codigo + (v == "9" ? " on" : " off");
    }
    for (const Ajuste& a : kAjustes) {
        if (codigo != a.codigo) continue;
        if (v.size() > 3 || !soloDigitos(v)) return "setting " + codigo + " refused: \"" + v + "\"";
        const std::string tres = std::string(3 - v.size(), '0') + v;
        for (std::size_t i = 0; i < 3; ++i) en(image, a.pos + 2 * i) = tres[i];
        return "setting " + codigo + " = " + tres;
    }
    if (codigo == "*6") {
        if (v.size() != 1 || v[0] < '5' || v[0] > '8') return "local digits refused: \"" + v + "\"";
        en(image, 22) = v[0];
        return "local digits = " + v;
    }
    return "";
}

// A Quintavo as it leaves the factory: key 12345, only the fixed flag bit, local calls of 7
// digits, 10 and 5 permitted calls of 3 minutes, empty memories and operation keys.
std::string quintavoDefaultImage(const codec::ModeloTrama& m, int version) {
    char v[3];
    std::snprintf(v, sizeof v, "%02d", ((version % 100) + 100) % 100);
    std::string b1 = std::string("02") + v + "09" + "0001" + "12345F" + "00" "01" "07" "00" +
                     "000000" "000000" "000100" "000005" "000003" "000003";
    b1.resize(codec::kDigitosBloque, 'F');
    std::string b2 = std::string(12, 'F') + "12345F" + std::string(24, 'F');
    for (std::size_t i = 0; i < 4; ++i) b2[18 + 6 * i + 5] = 'F';
    b2 += "6E";
    b2.resize(codec::kDigitosBloque, '0');
    std::string mapa = b1 + "00" "45" + b2 + "00" "03FE";
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks quintavoHooks() {
    ModelHooks h;
    h.defaultImage = quintavoDefaultImage;
    // The data part runs from the modifier (map 7) to the last operation key (174), past
    // block 1's checksum and the "45", as the generic placement lays it; 164 characters and "f".
    h.dataPartLength = 165;
    // Keys and memories in the device's digit code: data characters 5-9 (the key) and 55-164
    // (the memories, the key again and the operation keys, with their "F").
    h.placeDataPart = [](std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
        return placeWithDigits(image, m, data, strict, 165, {{5, 9}, {55, 164}});
    };
    h.remoteCommand = quintavoRemote;
    return h;
}

}  // namespace zylma::sim

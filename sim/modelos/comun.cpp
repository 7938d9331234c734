#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

namespace zylma::sim {

std::vector<std::string> Partes(std::string_view comando) {
    std::vector<std::string> out(1);
    for (char c : comando) {
        if (c == ',') out.emplace_back();
        else out.back() += c;
    }
    return out;
}

char DigitoEquipo(char c) {
    if (c == '0') return 'A';
    if (c == '*') return 'B';
    if (c == '#') return 'C';
    return c;
}

bool SoloDigitos(std::string_view texto, std::string_view otros) {
    for (char c : texto)
        if ((c < '0' || c > '9') && otros.find(c) == std::string_view::npos) return false;
    return true;
}

void PonBit(char& nibble, int valor, bool encendido) {
    int v = codec::ValorDigitoHex(nibble);
    v = encendido ? (v | valor) : (v & ~valor);
    nibble = codec::DigitoHex(v)[0];
}

void EscribeDigitos(std::string& image, std::size_t pos, std::size_t n, std::string_view digitos) {
    for (std::size_t i = 0; i < n; ++i) image[pos - 1 + i] = i < digitos.size() ? DigitoEquipo(digitos[i]) : 'F';
}

namespace {

// Flag codes and the bits they switch: map position (from 1) and bit value.
struct BitFenzo {
    std::string_view codigo;
    std::size_t pos;
    int valor;
};
constexpr BitFenzo kBitsFenzo[] = {
    {"#5", 20, 1}, {"#2", 17, 1}, {"#4", 17, 2}, {"#3", 18, 4}, {"#*", 20, 4}, {"#0", 20, 2},
};

}  // namespace

std::string DuracionOBanderaFenzo(std::string& image, const std::vector<std::string>& p) {
    const std::string& c0 = p[0];
    if (c0 == "#6" || c0 == "#9") {
        if (p[2].size() > 3 || !SoloDigitos(p[2])) return "duration refused: \"" + p[2] + "\"";
        const std::string v = std::string(3 - p[2].size(), '0') + p[2];
        const std::size_t pos = c0 == "#6" ? 30 : 36;
        for (std::size_t i = 0; i < 3; ++i) image[pos - 1 + 2 * i] = v[i];
        return "duration " + c0 + " set to " + v;
    }
    for (const BitFenzo& b : kBitsFenzo) {
        if (c0 != b.codigo) continue;
        if (p[2] != "9" && p[2] != "0") return "flag " + c0 + " refused: option \"" + p[2] + "\"";
        PonBit(image[b.pos - 1], b.valor, p[2] == "9");
        return "flag " + c0 + (p[2] == "9" ? " on" : " off");
    }
    return "";
}

}  // namespace zylma::sim

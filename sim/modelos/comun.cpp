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

}  // namespace zylma::sim

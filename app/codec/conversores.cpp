#include "zylma/codec/conversores.h"

namespace zylma::codec {

namespace {

bool esDigito(char c) { return c >= '0' && c <= '9'; }

std::string veredicto(char c) { return esDigito(c) ? "OK" : "MAL"; }

}  // namespace

std::string VerificaNumero(std::string_view texto) {
    if (texto.empty()) return "";
    return veredicto(texto.back());
}

std::string VerificaNumeroSin3(std::string_view texto) {
    if (texto.empty()) return "";
    if (texto.size() == 3) return veredicto(texto[1]);
    return veredicto(texto.back());
}

std::string SumaVerificacion(std::string_view hex) {
    int suma = 0;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        suma = (suma + ValorDigitoHex(hex[i]) * 16 + ValorDigitoHex(hex[i + 1])) % 256;
    }
    return DecimalAHex2(255 - suma);
}

std::string DigitosAMarcacion(std::string_view texto) {
    std::string r;
    r.reserve(texto.size());
    for (char c : texto) {
        switch (c) {
            case 'A': r += '0'; break;
            case 'B': r += '*'; break;
            case 'C': r += '#'; break;
            case 'F': break;
            default: r += c;
        }
    }
    return r;
}

std::string CambiaAPorCero(std::string_view texto) {
    std::string r(texto);
    for (char& c : r) {
        if (c == 'A') c = '0';
    }
    return r;
}

std::string BinarioAHex(std::string_view bits) {
    if (bits.size() != 4) return "";
    int valor = 0;
    for (char b : bits) {
        if (b != '0' && b != '1') return "";
        valor = valor * 2 + (b - '0');
    }
    return "0" + DigitoHex(valor);
}

std::string HexABinario(std::string_view hex) {
    if (hex.size() != 2 || hex[0] != '0') return "";
    char c = hex[1];
    bool valido = esDigito(c) || (c >= 'A' && c <= 'F');
    if (!valido) return "";
    int valor = ValorDigitoHex(c);
    std::string r(4, '0');
    for (int i = 0; i < 4; ++i) {
        if (valor & (8 >> i)) r[i] = '1';
    }
    return r;
}

std::string DigitoHex(int valor) {
    if (valor < 0 || valor > 15) return "";
    return std::string(1, "0123456789ABCDEF"[valor]);
}

int ValorDigitoHex(char c) {
    if (esDigito(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

int ValorDigitoHex(std::string_view c) { return c.size() == 1 ? ValorDigitoHex(c[0]) : 0; }

long long ValorDecimal(std::string_view texto, long long siNo) {
    std::size_t i = 0, fin = texto.size();
    while (i < fin && (texto[i] == ' ' || texto[i] == '\t')) ++i;
    while (fin > i && (texto[fin - 1] == ' ' || texto[fin - 1] == '\t')) --fin;
    bool negativo = false;
    if (i < fin && (texto[i] == '+' || texto[i] == '-')) {
        negativo = texto[i] == '-';
        ++i;
    }
    if (i == fin || fin - i > 15) return siNo;
    long long valor = 0;
    for (; i < fin; ++i) {
        if (!esDigito(texto[i])) return siNo;
        valor = valor * 10 + (texto[i] - '0');
    }
    return negativo ? -valor : valor;
}

std::string DecimalAHex4(std::string_view texto) {
    long long v = ValorDecimal(texto);
    unsigned palabra = static_cast<unsigned>(((v % 65536) + 65536) % 65536);
    std::string r(4, '0');
    for (int i = 3; i >= 0; --i) {
        r[i] = "0123456789ABCDEF"[palabra % 16];
        palabra /= 16;
    }
    return r;
}

std::string DecimalAHex2(long long valor) {
    // A negative value is no byte at all: count it as 0 rather than let a header lose a digit.
    if (valor < 0) valor = 0;
    long long alto = valor / 16;
    return DigitoHex(alto > 15 ? -1 : static_cast<int>(alto)) + DigitoHex(static_cast<int>(valor % 16));
}

std::string DecimalAHex2(std::string_view texto) { return DecimalAHex2(ValorDecimal(texto)); }

std::string HexADecimal(std::string_view hex) {
    int alto = hex.size() > 0 ? ValorDigitoHex(hex[0]) : 0;
    int bajo = hex.size() > 1 ? ValorDigitoHex(hex[1]) : 0;
    return std::to_string(alto * 16 + bajo);
}

}  // namespace zylma::codec

#include "zylma/codec/conversores.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zylma::codec {
namespace {

struct Caso {
    const char* convertidor;
    std::string entrada;
    std::string esperado;
};

std::string aplica(const std::string& nombre, const std::string& e) {
    static const std::vector<std::pair<std::string, std::function<std::string(const std::string&)>>> tabla = {
        {"VerificaNumero", [](const std::string& s) { return VerificaNumero(s); }},
        {"VerificaNumeroSin3", [](const std::string& s) { return VerificaNumeroSin3(s); }},
        {"SumaVerificacion", [](const std::string& s) { return SumaVerificacion(s); }},
        {"DigitosAMarcacion", [](const std::string& s) { return DigitosAMarcacion(s); }},
        {"CambiaAPorCero", [](const std::string& s) { return CambiaAPorCero(s); }},
        {"BinarioAHex", [](const std::string& s) { return BinarioAHex(s); }},
        {"HexABinario", [](const std::string& s) { return HexABinario(s); }},
        {"DigitoHex", [](const std::string& s) { return DigitoHex(std::stoi(s)); }},
        {"ValorDigitoHex", [](const std::string& s) { return std::to_string(ValorDigitoHex(std::string_view(s))); }},
        {"DecimalAHex4", [](const std::string& s) { return DecimalAHex4(s); }},
        {"DecimalAHex2", [](const std::string& s) { return DecimalAHex2(s); }},
        {"HexADecimal", [](const std::string& s) { return HexADecimal(s); }},
    };
    for (const auto& [n, f] : tabla) {
        if (n == nombre) return f(e);
    }
    ADD_FAILURE() << "unknown converter " << nombre;
    return {};
}

const std::string k64Ceros(128, '0');

// Edges as the callers meet them: the last character alone decides a number check, a checksum
// wraps at 256, a non-number never throws and never changes the width of a header byte.
const Caso kCasos[] = {
    {"VerificaNumero", "a1", "OK"},
    {"VerificaNumero", "1a", "MAL"},
    {"VerificaNumero", "0", "OK"},
    {"VerificaNumero", "*", "MAL"},
    {"VerificaNumero", "", ""},
    {"VerificaNumero", "12\xC3\xB1", "MAL"},  // a typed "ñ" is no digit
    {"VerificaNumeroSin3", "12*", "OK"},
    {"VerificaNumeroSin3", "1*3", "MAL"},  // three characters: the second decides
    {"VerificaNumeroSin3", "1*", "MAL"},
    {"VerificaNumeroSin3", "12*4", "OK"},
    {"VerificaNumeroSin3", "12*a", "MAL"},
    {"VerificaNumeroSin3", "", ""},
    {"SumaVerificacion", k64Ceros, "FF"},
    {"SumaVerificacion", "", "FF"},
    {"SumaVerificacion", "FF01", "FF"},
    {"SumaVerificacion", "0102", "FC"},
    {"SumaVerificacion", "01020", "FC"},   // odd last digit ignored
    {"SumaVerificacion", "0g02", "FD"},    // lower case / non-hex counts as 0
    {"SumaVerificacion", "ff", "FF"},
    {"SumaVerificacion", "FFFF", "01"},    // 0x1FE
    {"DigitosAMarcacion", "1A2BFF", "102*"},
    {"DigitosAMarcacion", "FFFF", ""},
    {"DigitosAMarcacion", "C9", "#9"},
    {"CambiaAPorCero", "1A2F", "102F"},
    {"CambiaAPorCero", "ABCA", "0BC0"},
    {"BinarioAHex", "1010", "0A"},
    {"BinarioAHex", "0000", "00"},
    {"BinarioAHex", "1111", "0F"},
    {"BinarioAHex", "101", ""},
    {"BinarioAHex", "10101", ""},
    {"BinarioAHex", "10a0", ""},
    {"HexABinario", "0A", "1010"},
    {"HexABinario", "00", "0000"},
    {"HexABinario", "0F", "1111"},
    {"HexABinario", "10", ""},
    {"HexABinario", "0a", ""},
    {"HexABinario", "0", ""},
    {"HexABinario", "0G", ""},
    {"DigitoHex", "0", "0"},
    {"DigitoHex", "15", "F"},
    {"DigitoHex", "16", ""},
    {"DigitoHex", "-1", ""},
    {"ValorDigitoHex", "7", "7"},
    {"ValorDigitoHex", "E", "14"},
    {"ValorDigitoHex", "e", "0"},
    {"ValorDigitoHex", ":", "0"},
    {"ValorDigitoHex", "", "0"},
    {"ValorDigitoHex", "AB", "0"},
    {"DecimalAHex4", "0", "0000"},
    {"DecimalAHex4", "510", "01FE"},
    {"DecimalAHex4", "32767", "7FFF"},
    {"DecimalAHex4", "x", "0000"},
    {"DecimalAHex4", "-1", "FFFF"},
    {"DecimalAHex2", "0", "00"},
    {"DecimalAHex2", "15", "0F"},
    {"DecimalAHex2", "30", "1E"},
    {"DecimalAHex2", "255", "FF"},
    {"DecimalAHex2", "256", "0"},
    {"DecimalAHex2", "300", "C"},
    {"DecimalAHex2", " 30 ", "1E"},
    {"DecimalAHex2", "", "00"},
    {"DecimalAHex2", "3a", "00"},
    {"DecimalAHex2", "-5", "00"},
    {"DecimalAHex2", "99999999999999999999", "00"},
    {"HexADecimal", "1E", "30"},
    {"HexADecimal", "FF", "255"},
    {"HexADecimal", "G1", "1"},
    {"HexADecimal", "1e", "16"},
    {"HexADecimal", "A", "160"},
    {"HexADecimal", "", "0"},
    {"HexADecimal", "1E9", "30"},
};

TEST(Conversores, TableOfCases) {
    for (const auto& c : kCasos) {
        EXPECT_EQ(aplica(c.convertidor, c.entrada), c.esperado)
            << c.convertidor << "(\"" << c.entrada << "\")";
    }
}

// The receive event turns every byte a line can carry into its code form; none may lose a digit.
TEST(Conversores, EveryCharacterCodeGivesTwoDigits) {
    for (int code = 0; code < 256; ++code) {
        std::string h = DecimalAHex2(static_cast<long long>(code));
        ASSERT_EQ(h.size(), 2u) << code;
        EXPECT_EQ(HexADecimal(h), std::to_string(code));
    }
}

}  // namespace
}  // namespace zylma::codec

// What the simulated models do the same way: a remote command split at its commas, dial digits
// in the device's digit code, the check of a digit field and one flag bit of a nibble.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zylma::sim {

// The parts of a command between its commas ("" parts kept; one part for a text without any).
std::vector<std::string> Partes(std::string_view comando);

// A dial digit as the device keeps it: "0" is "A", "*" "B", "#" "C"; anything else as it is.
char DigitoEquipo(char c);

// Only decimal digits and the characters of `otros` (an empty text passes).
bool SoloDigitos(std::string_view texto, std::string_view otros = "");

// Sets (`encendido`) or clears the bits `valor` of a nibble kept as its hex character.
void PonBit(char& nibble, int valor, bool encendido);

// `n` device digits of `digitos` from map position `pos` (from 1), "F" past the text's end.
void EscribeDigitos(std::string& image, std::size_t pos, std::size_t n, std::string_view digitos);

// The Fenzo's scheme, which the Tresmolina shares: "#<code>,<key>,<option>" with the key
// already checked; "#6" and "#9" set the prohibited and the free duration, a flag code sets
// ("9") or clears ("0") its bit. "" for a code the scheme does not know.
std::string DuracionOBanderaFenzo(std::string& image, const std::vector<std::string>& p);

}  // namespace zylma::sim

// The small text converters every model programmer, the serial link and the field checks share.
// They keep no state, never throw and report no errors: an input outside what a converter is
// meant for gives the fixed result written beside it, so a stray character in a panel box or in
// a device answer can never stop the program.
#pragma once

#include <string>
#include <string_view>

namespace zylma::codec {

// "OK" when the LAST character is a digit "0"-"9", "MAL" when it is anything else, "" for an
// empty text. Only the last character decides: the callers pass the text up to the character
// just typed, so "a1" is "OK" and "1a" is "MAL".
std::string VerificaNumero(std::string_view texto);

// As VerificaNumero, except that a text of exactly three characters is judged by its second
// character: the third position of those fields may hold "*".
std::string VerificaNumeroSin3(std::string_view texto);

// Block checksum: 255 minus the sum of the bytes modulo 256, as two upper-case hex digits.
// The text is read two digits per byte; an odd last digit is ignored, and a digit that is not
// "0"-"9"/"A"-"F" (lower case included) counts as 0. An empty text gives "FF".
std::string SumaVerificacion(std::string_view hex);

// Device digit code to dial text: "A" -> "0", "B" -> "*", "C" -> "#", "F" (no digit) dropped,
// anything else kept.
std::string DigitosAMarcacion(std::string_view texto);

// Device digit code "A" -> "0"; every other character kept ("F", "B", "C" too).
std::string CambiaAPorCero(std::string_view texto);

// Four bit characters, most significant first ("1010") to "00".."0F"; anything else gives "".
std::string BinarioAHex(std::string_view bits);

// "00".."0F" (upper case) to four bit characters, most significant first; anything else gives "".
std::string HexABinario(std::string_view hex);

// 0..15 to "0"-"9"/"A"-"F"; any other value gives "".
std::string DigitoHex(int valor);

// "0"-"9"/"A"-"F" to 0..15; lower case and any other character give 0.
int ValorDigitoHex(char c);
// The same for a text that should hold one character; any other length gives 0.
int ValorDigitoHex(std::string_view c);

// Decimal text to four upper-case hex digits. A text that is not a whole decimal number
// (surrounding blanks allowed) counts as 0 and gives "0000"; a value outside 0..65535 is taken
// modulo 65536, as the device's 16-bit words hold it ("-1" gives "FFFF").
std::string DecimalAHex4(std::string_view texto);

// Decimal text to DigitoHex(value / 16) followed by DigitoHex(value mod 16): two hex digits for
// 0..255, a single digit for 256 and above ("300" gives "C": the first part is empty).
// A text that is not a whole decimal number, or a negative one, counts as 0 ("00"), like an
// empty firmware box, so a header byte built from it keeps its two characters.
std::string DecimalAHex2(std::string_view texto);
std::string DecimalAHex2(long long valor);

// Two hex characters to decimal text of 16 x first + second, each through ValorDigitoHex
// ("1E" gives "30", "G1" gives "1"). A missing character counts as 0, further ones are ignored.
std::string HexADecimal(std::string_view hex);

// Value of a decimal text for the converters above: surrounding blanks allowed, optional sign;
// anything else, or a value beyond +-10^15, is not a number and gives `siNo`.
long long ValorDecimal(std::string_view texto, long long siNo = 0);

}  // namespace zylma::codec

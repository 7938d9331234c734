// Quintavo (model code "02"): two call-metering groups (metered service and long distance), the
// switchboard trunk, the digits of a local call, five 16-digit memories, the device key and four
// operation keys, in two 64-byte blocks.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::quintavo {

// The data part (`ImagenEnvio`) and the map-form image hold the same fields in the same order:
// data character i stands at map position i + 6 up to 122 and at i + 10 from 123 on, past
// block 1's checksum and the "45". The decoder and the builder both walk the table below in
// data-part characters, so memory 05, which straddles the two blocks, needs no special case.
//
//   1-4 modifier, 5-9 key, 10 "F", 11 flag nibble C, 12 nibble B, 13 "0", 14 nibble A, 15 "0",
//   16 digits of a local call, 17-18 "00", 19-54 six three-digit settings, 55-134 five
//   memories, 135-140 the key again and "F", 141-164 four operation keys with "F" each, then "f".
inline constexpr std::size_t kFinBloque1 = 122;
std::size_t PosicionMapa(std::size_t caracterDatos);

enum class Codigo {
    Tres,       // three digits, each the low nibble of one byte ("0" d1 "0" d2 "0" d3)
    Memoria,    // 16 device digits, "F" for no digit
    ClaveF,     // five device digits and "F"
};

struct Campo {
    const char* control;  // the panel control
    int indice;           // element of a control array, -1 for a single control
    std::size_t inicio;   // first data-part character
    Codigo codigo;
};

// The three-digit settings in the order the image holds them, the memories, the second copy of
// the device key and the operation keys. The key's first copy (5) belongs to the fixed head.
inline constexpr Campo kCampos[] = {
    {"ZylTexQuiSMC", -1, 19, Codigo::Tres},     {"ZylTexQuiLDC", -1, 25, Codigo::Tres},
    {"ZylTexQuiSMNP", -1, 31, Codigo::Tres},    {"ZylTexQuiLDNP", -1, 37, Codigo::Tres},
    {"ZylTexQuiSMT", -1, 43, Codigo::Tres},     {"ZylTexQuiLDT", -1, 49, Codigo::Tres},
    {"ZylTexQuiNumTel", 0, 55, Codigo::Memoria}, {"ZylTexQuiNumTel", 1, 71, Codigo::Memoria},
    {"ZylTexQuiNumTel", 2, 87, Codigo::Memoria}, {"ZylTexQuiNumTel", 3, 103, Codigo::Memoria},
    {"ZylTexQuiNumTel", 4, 119, Codigo::Memoria}, {"ZylTexResCla", -1, 135, Codigo::ClaveF},
    {"ZylTexQuiClv", 1, 141, Codigo::ClaveF},
    {"ZylTexQuiClv", 2, 147, Codigo::ClaveF},    {"ZylTexQuiClv", 3, 153, Codigo::ClaveF},
    {"ZylTexQuiClv", 4, 159, Codigo::ClaveF},
};
inline constexpr std::size_t kCampos_n = sizeof(kCampos) / sizeof(kCampos[0]);
inline constexpr std::size_t kPosClave = 5;
inline constexpr std::size_t kPosNibbleC = 11, kPosNibbleB = 12, kPosNibbleA = 14, kPosDigitosLocal = 16;
inline constexpr std::size_t kLargoDatos = 165;  // with the closing "f"

// Where each flag lives: nibble (by its data character) and bit value. Restriction 1 is the
// value-1 bit of nibble A, which the device keeps set: a write always sets it, a read shows it.
// Restriction 2 has no bit.
struct BitBandera {
    int restriccion;  // 1 to 6; 0 for the switchboard trunk
    std::size_t nibble;
    int valor;
};
inline constexpr BitBandera kBits[] = {
    {1, kPosNibbleA, 1}, {3, kPosNibbleC, 1}, {4, kPosNibbleC, 2},
    {5, kPosNibbleB, 4}, {6, kPosNibbleA, 4}, {0, kPosNibbleA, 2},
};

// What the builder takes from the panel, and the decoder gives back.
struct Valores {
    std::string modificador;  // `CodigoModificador`
    std::string clave;        // the device key as the panel shows it
    std::string banderas;     // flag text, character k restriction k
    std::string troncal;      // "1" or "0"
    std::string digitosLocal; // "5" to "8"
    std::array<std::string, kCampos_n> campos;  // in the order of kCampos (the key's entry unused)
};

// A key the device takes: exactly five digits, not starting with "0".
bool ClaveValida(std::string_view clave);
// The digits of a local call the device takes: one of "5" to "8".
bool DigitosLocalValidos(std::string_view d);

struct Imagen {
    std::string datos;    // `ImagenEnvio`, 165 characters
    std::string trama;    // `TramaEnvio` in map form, model byte "02" (266 characters)
    std::string mascara;  // `MascaraEnvio`: 270 "1"
};
// The programming image; nothing when the key or the digits of a local call are not ones the
// device takes (either would move every later byte).
std::optional<Imagen> ArmaImagen(const Valores& v, std::string_view firmware, std::string_view clase);
// The same image with every field fitted to its width, for the record of a refused write.
Imagen ArmaImagenAjustada(const Valores& v, std::string_view firmware, std::string_view clase);

struct Lectura {
    std::string version;  // map positions 3-4 as they stand
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    Valores valores;      // clave: the second copy, in dial digits
};
// Decodes a map-form image (checksums already checked).
Lectura Decodifica(std::string_view mapa);

// The remote command for a trigger, or nothing. `indice` is `IndiceComando` as the builder
// passes it on ("2" to "5" for the operation keys, "1" to "5" for the memories).
// Judged by what it carries: the key and the command's own value, never the rest of the panel.
// `falta` says why nothing was built.
std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view indice, std::string_view claveAnterior,
                                       std::string_view claveNueva, std::string_view separador,
                                       Falta* falta = nullptr);

// The option of a check-box command: "9" on, "0" off, nothing for any other state.
std::optional<std::string> DigitoOpcion(std::string_view valor);

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfQuintavo(app::Programa& p);
void LeeEquipoQuintavo(app::Programa& p);
bool PreparaEnvioQuintavo(app::Programa& p);
bool ArmaComandoQuintavo(app::Programa& p);

}  // namespace zylma::models::quintavo

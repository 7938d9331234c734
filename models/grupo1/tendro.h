// Téndro (model code "00"): key, six restriction flags, firmware, user type and modifier in one
// 64-byte block; its panel has no fields of its own and uses the common restriction area.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::tendro {

// Map-form layout of the image (positions from 1, after the frame start):
//  1-2 model code, 3-4 version, 5-6 user type, 7-10 modifier, 11-14 key (device digits, "A" for
//  0), 15-16 "66" ("FF" in the data part), 17-18 and 19-20 the restriction bits, 21-22 "6E",
//  23-128 filler "F", 129-130 checksum.
inline constexpr std::size_t kPosClave = 11;
inline constexpr std::size_t kPosBanderas = 17;  // four nibbles, 17 to 20

// Where each restriction's bit lives: nibble (0 to 3, from position 17) and bit value.
// One table for the decoder and the builder, so a read followed by a write never moves a flag.
struct BitRestriccion {
    int restriccion;  // 1 to 6
    int nibble;
    int valor;
};
inline constexpr BitRestriccion kBits[] = {
    {1, 2, 1}, {2, 3, 4}, {3, 0, 1}, {4, 0, 2}, {5, 1, 4}, {6, 3, 2},
};

// The four flag nibbles (hex digits) for a flag text: character k is restriction k.
std::string NibblesBanderas(std::string_view banderas);
// The six-character flag text from the four nibbles of an image.
std::string BanderasDesdeNibbles(std::string_view nibbles);

// A key the device takes: exactly four digits, not starting with "0".
bool ClaveValida(std::string_view clave);

struct Imagen {
    std::string datos;    // `ImagenEnvio`: modifier, key, "FF", two flag bytes (14 characters)
    std::string trama;    // `TramaEnvio` in map form, model byte "05" (134 characters)
    std::string mascara;  // `MascaraEnvio`: 138 "1"
};
// The programming image; nothing when the key is not one the device takes.
std::optional<Imagen> ArmaImagen(std::string_view modificador, std::string_view clave, std::string_view banderas,
                                 std::string_view firmware, std::string_view clase);

struct Lectura {
    std::string version;   // decimal
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    std::string clave;     // "A" already turned into "0"
    std::string banderas;  // six characters
};
// Decodes a map-form image (checksum already checked).
Lectura Decodifica(std::string_view mapa);

// The remote command for a trigger, or nothing: "1" to "6" the restrictions, "10" the key.
// A greyed box is neither on nor off: no command. `falta` says why nothing was built.
std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view claveAnterior, std::string_view separador,
                                       Falta* falta = nullptr);

// The option digit of a restriction command: "9" on, "0" off, "" greyed or anything else.
std::string DigitoOpcion(std::string_view valor);

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfTendro(app::Programa& p);
void LeeEquipoTendro(app::Programa& p);
bool PreparaEnvioTendro(app::Programa& p);
bool ArmaComandoTendro(app::Programa& p);

}  // namespace zylma::models::tendro

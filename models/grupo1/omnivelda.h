// Omnivelda (model code "05"): two checksummed blocks holding four restriction flags, two
// call-duration times, the trunk-access digits, the device key, fourteen four-digit memories
// and ten sixteen-digit memories.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::omnivelda {

// ---------------------------------------------------------------- layout
//
// The data part `ImagenEnvio` is 248 characters, one per nibble; its characters 1-122 are map
// positions 7-128 and 123-248 are positions 133-258 (block 1's checksum and the "45" between
// the blocks lie in between). Character by character (from 1):
//    1-4   modifier code
//    5-8   "2", then the flag nibbles of bytes 7 (low) and 8 (both), see kBits
//    9-10  "00"
//   11-16  time for free calls, one digit per byte ("0" and the digit)
//   17-22  time for forbidden calls, the same
//   23-28  trunk-access digits, the same ("0F" for no digit)
//   29-32  device key
//   33-88  four-digit memories 0 to 13, four characters each ("F" for no digit)
//   89-248 sixteen-digit memories 0 to 9, sixteen characters each; memory 2 straddles the
//          blocks (characters 121-136, map positions 127-128 and 133-146)
inline constexpr std::size_t kLongitudDatos = 248;
inline constexpr std::size_t kDatosBloque1 = 122;  // data characters in block 1

// Map position (from 1) of data character i (from 1).
static_assert(kDatosBloque1 == kDatosPrimerBloque);
constexpr std::size_t PosicionMapa(std::size_t i) { return PosicionDatos(i); }

enum class Forma {
    Tiempo,      // three decimal digits, one per byte in its low nibble
    Marcacion,   // three dial digits, one per byte in its low nibble, device digit code
    Clave,       // four digits as they stand, the device's "A" for 0
    Memoria,     // one dial digit per nibble, device digit code, "F" for no digit
};

// One field of the panel and where it lives in the data part. The decoder, the builder and the
// procedures all walk this one table.
struct Campo {
    std::string_view control;  // the main window's control
    int indice;                // element of a control array, -1 for a single control
    std::size_t inicio;        // first data character (from 1)
    std::size_t digitos;       // digits the field holds
    Forma forma;
};

inline constexpr std::size_t kMemorias4 = 14;
inline constexpr std::size_t kMemorias16 = 10;
inline constexpr std::size_t kCampos = 4 + kMemorias4 + kMemorias16;

constexpr std::array<Campo, kCampos> TablaCampos() {
    std::array<Campo, kCampos> t{};
    t[0] = {"ZylTexOmnDurL", -1, 11, 3, Forma::Tiempo};
    t[1] = {"ZylTexOmnDurP", -1, 17, 3, Forma::Tiempo};
    t[2] = {"ZylTexOmnCon", -1, 23, 3, Forma::Marcacion};
    t[3] = {"ZylTexResCla", -1, 29, 4, Forma::Clave};
    for (std::size_t k = 0; k < kMemorias4; ++k)
        t[4 + k] = {"ZylTxtOmnMe4", static_cast<int>(k), 33 + 4 * k, 4, Forma::Memoria};
    for (std::size_t k = 0; k < kMemorias16; ++k)
        t[4 + kMemorias4 + k] = {"ZylTxtOmnMe16", static_cast<int>(k), 89 + 16 * k, 16, Forma::Memoria};
    return t;
}
inline constexpr std::array<Campo, kCampos> kTabla = TablaCampos();
inline constexpr std::size_t kCampoClave = 3;

// Characters a field takes in the data part.
constexpr std::size_t Ancho(const Campo& c) {
    return c.forma == Forma::Tiempo || c.forma == Forma::Marcacion ? 2 * c.digitos : c.digitos;
}

// Where each restriction's bit lives: data character (6 to 8: bytes 7 low, 8 high, 8 low) and
// bit value. Bit 1 of character 8 is always set; the rest of those nibbles is clear.
struct BitRestriccion {
    int restriccion;  // 1 to 4
    std::size_t caracter;
    int valor;
};
inline constexpr BitRestriccion kBits[] = {
    {1, 7, 1}, {2, 8, 2}, {3, 8, 4}, {4, 6, 1},
};

// ---------------------------------------------------------------- codec

// Panel values, one text per row of kTabla (in its order), and the flag text (character k for
// restriction k, "1" on).
struct Valores {
    std::array<std::string, kCampos> campos;
    std::string banderas;
};

// A key the device takes: exactly four digits, not starting with "0".
bool ClaveValida(std::string_view clave);
// A field's characters in the data part, or nothing when its text cannot stand there: a time
// that is not a number up to 255, trunk-access digits other than up to three of "0"-"9", "*"
// and "#", a key the device does not take. Times are right-aligned with zeros ("30" is 030),
// missing trunk-access and memory digits are "F"; memory texts past their width are cut.
std::optional<std::string> CodificaCampo(const Campo& c, std::string_view texto);
// The three flag characters (data characters 6 to 8) for a flag text.
std::string NibblesBanderas(std::string_view banderas);

struct Imagen {
    std::string datos;    // `ImagenEnvio` (248 characters)
    std::string trama;    // `TramaEnvio` in map form, model byte "05" (266 characters)
    std::string mascara;  // `MascaraEnvio`: 270 "1"
};
// The programming image; nothing when a field cannot stand in the layout (see CodificaCampo).
std::optional<Imagen> ArmaImagen(std::string_view modificador, const Valores& v, std::string_view firmware,
                                 std::string_view clase);
// The same with every field fitted to its place, for the record of a write that was refused: a
// field that cannot stand keeps the characters its place can hold, cut at its width, with the
// device's "no digit" "F" for any other or missing one (a time that is no number up to 255 is
// all "F").
Imagen ArmaImagenAjustada(std::string_view modificador, const Valores& v, std::string_view firmware,
                          std::string_view clase);

struct Lectura {
    std::string version;  // decimal
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    std::array<std::string, kCampos> campos;  // the panel texts, kTabla's order
    std::string banderas;                     // four characters, restrictions 1 to 4
    // The memory-table release: ticked for a byte-7 low nibble of 1, cleared for 0, else kept.
    std::optional<bool> libera;
};
// Decodes a map-form image (checksums already checked); positions past its end count as absent.
Lectura Decodifica(std::string_view mapa);

// What a remote command does to the module state.
struct Comando {
    bool atendido = false;                // the number is one of this model's
    std::optional<std::string> imagen;    // new `ImagenEnvio` (the option value)
    std::optional<std::string> indice;    // new `IndiceComando` (the memory number)
    std::optional<std::string> cadena;    // `CadenaComando`; nothing when none is built
    Falta falta = Falta::Ninguna;         // why nothing was built
};
// The remote command for a trigger. `claveActiva`: the key box holds a key the device takes.
// Times go as typed (one to three digits, at most 255); the trunk-access digits as characters
// 1, 2 and 3 of the code, each empty where it is shorter; a memory as typed, up to its width.
Comando ArmaComando(std::string_view numero, std::string_view valor, std::string_view indice,
                    std::string_view clave, std::string_view claveAnterior, std::string_view separador,
                    bool claveActiva);

// The option of an on/off command: "9" ticked, "0" clear, "" for a greyed box.
std::string OpcionCasilla(std::string_view valor);

// ---------------------------------------------------------------- the unit

app::ModeloEquipo Modelo();

void CargaConfOmnivelda(app::Programa& p);
void LeeEquipoOmnivelda(app::Programa& p);
bool PreparaEnvioOmnivelda(app::Programa& p);
bool ArmaComandoOmnivelda(app::Programa& p);

}  // namespace zylma::models::omnivelda

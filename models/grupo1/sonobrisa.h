// Sonobrisa (model code "04"): an authorisation code, the device key, an alert digit, two option
// flags, restrictions 1, 4 and 7 and a number of interventions in one block without checksum.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::sonobrisa {

// Map-form layout (positions from 1, after the frame start):
//   1-2 model code, 3-4 version, 5-6 user type, 7-10 modifier, 11-20 Aut code, 21-30 key,
//   31-32 alert digit, 33-34 flags, 35-40 number of interventions (one character per byte in
//   the low nibble, high nibble 0), 41-134 not read.
inline constexpr std::size_t kPosDatos = 11;
inline constexpr std::size_t kPosBanderas = 33;
inline constexpr std::size_t kFinDatos = 40;

enum class Campo { Aut, Clave, DigAler, NumInter };
struct CampoCaracteres {
    Campo campo;
    std::size_t posicion;  // of the field's first byte (its high nibble)
    std::size_t caracteres;
};
inline constexpr CampoCaracteres kCampos[] = {
    {Campo::Aut, 11, 5}, {Campo::Clave, 21, 5}, {Campo::DigAler, 31, 1}, {Campo::NumInter, 35, 3},
};

// The flag byte: what each bit holds. Restrictions by number, the two option boxes by name.
enum class Opcion { Restriccion, Tono, Bloqueo };
struct BitBandera {
    Opcion opcion;
    int restriccion;       // for Opcion::Restriccion
    std::size_t posicion;  // 33 high nibble, 34 low nibble
    int valor;
};
// One table for the decoder and the builder. A ticked tone box sets its bit, read and write alike.
inline constexpr BitBandera kBits[] = {
    {Opcion::Bloqueo, 0, 33, 4}, {Opcion::Tono, 0, 33, 2}, {Opcion::Restriccion, 4, 33, 1},
    {Opcion::Restriccion, 7, 34, 8}, {Opcion::Restriccion, 1, 34, 1},
};

struct Panel {
    std::string aut;       // five characters, "*" third
    std::string clave;     // five characters, "*" third
    std::string digAler;   // one of "0"-"9", "*", "#", or none
    std::string numInter;  // up to three digits
    std::string banderas;  // character k is restriction k ("1" on)
    bool tono = false;
    bool bloqueo = false;
};

// A key the device takes: two digits, "*", two digits, not starting with "0".
bool ClaveValida(std::string_view clave);
// An Aut code that fits its five bytes: two digits, "*", two digits.
bool AutValido(std::string_view aut);
// An alert digit (blanks around it dropped): none, or one of "0"-"9", "*", "#".
bool DigAlerValido(std::string_view digAler);
// A number of interventions: up to three digits (written with leading zeros).
bool NumInterValido(std::string_view numInter);

// The flag byte's two hex digits for a panel.
std::string NibblesBanderas(const Panel& panel);

struct Imagen {
    std::string datos;    // `ImagenEnvio`: positions 11 to 40 and "f" (31 characters)
    std::string trama;    // `TramaEnvio`: header, data part and the fixed tail (135 characters)
    std::string mascara;  // `MascaraEnvio`: 138 "1"
};
// The programming image; nothing when a value does not fit its place.
std::optional<Imagen> ArmaImagen(std::string_view modificador, const Panel& panel, std::string_view firmware,
                                 std::string_view clase);
// The same with every value fitted to its place, for the record of a write that was refused.
Imagen ArmaImagenAjustada(std::string_view modificador, const Panel& panel, std::string_view firmware,
                          std::string_view clase);

struct Lectura {
    std::string version;
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    Panel panel;  // banderas has seven characters
};
// Decodes a map-form image; there is no checksum to test.
Lectura Decodifica(std::string_view mapa);

// The remote command for a trigger, before its separation, or nothing. `clave` is the key box
// (the new key for "10").
std::optional<std::string> ArmaComando(std::string_view numero, std::string_view clave,
                                       std::string_view claveAnterior, std::string_view aut,
                                       std::string_view digAler, Falta* falta = nullptr);
// A "," between every two characters.
std::string Separa(std::string_view cadena);

app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfSonobrisa(app::Programa& p);
void LeeEquipoSonobrisa(app::Programa& p);
bool PreparaEnvioSonobrisa(app::Programa& p);
bool ArmaComandoSonobrisa(app::Programa& p);

}  // namespace zylma::models::sonobrisa

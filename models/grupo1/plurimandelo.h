// Plurimandelo (model code "03"): key, six general restrictions, nine number-prefix groups, six
// long-distance services, the digits that take a trunk from a switchboard extension and two call
// durations, in one 64-byte block with its checksum.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::plurimandelo {

// Map-form layout (positions from 1, after the frame start):
//   1-2 model code, 3-4 version, 5-6 user type, 7-10 modifier, 11-14 key (device digits, "A"
//   for 0), 15-16 "00", 17-22 trunk digits (one per byte, low nibble), 23-26 the six general
//   restrictions, 27-32 prefix groups and long-distance services (three boxes per nibble, the
//   nibble at 31 always 0), 33-38 duration of free calls, 39-44 duration of prohibited calls
//   (one digit per byte), 45-128 filler "F", 129-130 checksum.
inline constexpr std::size_t kPosClave = 11;
inline constexpr std::size_t kPosBits = 23;     // first of the ten bit nibbles, 23 to 32
inline constexpr std::size_t kNibblesBits = 10;
inline constexpr std::size_t kFinDatos = 44;    // last position the data part covers

// The three check-box groups whose bits live in positions 23 to 32.
enum class Grupo { General, Prefijo, Servicio };

// Where one box's bit lives: its group and element (general restrictions from 1, the two panel
// arrays from their Index 0), the map position of its nibble and the bit's value. The decoder
// and the builder both walk this one table, so a read followed by a write never moves a flag.
struct Bit {
    Grupo grupo;
    int indice;
    std::size_t posicion;
    int valor;
};
inline constexpr Bit kBits[] = {
    // Bytes 13 and 14: restrictions 4 and 3 / 5, then 1 / 2 and 6 (as the Téndro's).
    {Grupo::General, 3, 23, 1}, {Grupo::General, 4, 23, 2}, {Grupo::General, 5, 24, 4},
    {Grupo::General, 1, 25, 1}, {Grupo::General, 2, 26, 4}, {Grupo::General, 6, 26, 2},
    // Byte 15: prefix groups 0-2 and 3-5; byte 16: groups 6-8 and services 0-2.
    {Grupo::Prefijo, 0, 27, 4}, {Grupo::Prefijo, 1, 27, 2}, {Grupo::Prefijo, 2, 27, 1},
    {Grupo::Prefijo, 3, 28, 4}, {Grupo::Prefijo, 4, 28, 2}, {Grupo::Prefijo, 5, 28, 1},
    {Grupo::Prefijo, 6, 29, 4}, {Grupo::Prefijo, 7, 29, 2}, {Grupo::Prefijo, 8, 29, 1},
    {Grupo::Servicio, 0, 30, 4}, {Grupo::Servicio, 1, 30, 2}, {Grupo::Servicio, 2, 30, 1},
    // Byte 17: high nibble 0, services 3-5 in the low one.
    {Grupo::Servicio, 3, 32, 4}, {Grupo::Servicio, 4, 32, 2}, {Grupo::Servicio, 5, 32, 1},
};

// The three-character fields, one character per byte in the low nibble.
enum class Campo { Conmutador, DuracionLibres, DuracionProhibidas };
struct CampoDigitos {
    Campo campo;
    std::size_t posicion;  // of the field's first byte (its high nibble)
};
inline constexpr CampoDigitos kCampos[] = {
    {Campo::Conmutador, 17}, {Campo::DuracionLibres, 33}, {Campo::DuracionProhibidas, 39},
};
inline constexpr std::size_t kDigitosCampo = 3;

// The panel's values as the codec sees them.
struct Panel {
    std::string clave;
    std::string conmutador;  // trunk digits: up to three of "0"-"9", "*", "#"
    std::string duracionLibres, duracionProhibidas;
    std::string banderas;    // character k is general restriction k ("1" on)
    std::array<bool, 9> prefijos{};
    std::array<bool, 6> servicios{};
};

// A key the device takes: exactly four digits, not starting with "0".
bool ClaveValida(std::string_view clave);
// Trunk digits that fit their three bytes: none to three of "0"-"9", "*", "#".
bool ConmutadorValido(std::string_view texto);
// A duration that fits its three digits: one to three digits, at most 255.
bool DuracionValida(std::string_view texto);

// The ten bit nibbles of positions 23 to 32 for a panel.
std::string NibblesBits(const Panel& panel);

struct Imagen {
    std::string datos;    // `ImagenEnvio`: positions 7 to 44 and "f" (39 characters)
    std::string trama;    // `TramaEnvio` in map form (134 characters)
    std::string mascara;  // `MascaraEnvio`: 138 "1"
};
// The programming image; nothing when a value does not fit the layout (key, trunk digits,
// durations). `clase` is the installation class.
std::optional<Imagen> ArmaImagen(std::string_view modificador, const Panel& panel, std::string_view firmware,
                                 std::string_view clase);
// The same image with every value fitted to its place (the key cut to four or padded with the
// device's "no digit" "F", a bad character as that "F"), for the record of a write that was
// refused.
Imagen ArmaImagenAjustada(std::string_view modificador, const Panel& panel, std::string_view firmware,
                          std::string_view clase);

struct Lectura {
    std::string version;
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    Panel panel;  // banderas has six characters
};
// Decodes a map-form image (checksum already checked).
Lectura Decodifica(std::string_view mapa);

// The device's code of a long-distance service (Index 0 to 5): 51, 55, 58, 61, 62, 63; "" for
// any other Index. Command "15" also takes one of these codes in place of its Index.
std::string CodigoServicio(std::string_view indice);

// The remote command for a trigger, or nothing. `valor` is `ValorComando`, `indice`
// `IndiceComando`; for "10" `clave` is the new key.
// The trunk digits go as characters 1, 2 and 3 of the code, each empty where the code is shorter
// ("9" gives "9", "", ""): the device keeps an empty place as "no digit". `falta` says why
// nothing was built.
std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view indice,
                                       std::string_view clave, std::string_view claveAnterior,
                                       std::string_view separador, Falta* falta = nullptr);

app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfPlurimandelo(app::Programa& p);
void LeeEquipoPlurimandelo(app::Programa& p);
bool PreparaEnvioPlurimandelo(app::Programa& p);
bool ArmaComandoPlurimandelo(app::Programa& p);

}  // namespace zylma::models::plurimandelo

// Fenzo (model code "0:", "0A" in map form): key, restriction flags, switchboard trunk, call
// counter, two durations, ten telephone memories and, from firmware 24 on (the Travesolin), a
// second copy of the key and four operation keys, in a two-block image. Firmware 23 and below
// is the Kalmoro: same panel and layout without the second key and the operation keys.
//
// The Tresmolina shares this layout scheme (flag nibbles, three-digit settings, digit fields) and
// its unit builds on the pieces declared here.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"
#include "zylma/codec/conversores.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zylma::app { class Programa; }

namespace zylma::models::fenzo {

// ---------------------------------------------------------------- shared layout pieces

// The data part `ImagenEnvio` is the image from map position 7 on without block 1's checksum
// and the "45": data character i stands at map position i + 6 up to i = 122 and at i + 10
// after. The layout tables below count in data-part characters (from 1), so a field that spans
// the two blocks (memory 06) is one run of characters.
inline constexpr std::size_t kDatosEnBloque1 = 122;
// The data-part view of a map-form image (positions 7-128, then 133-260).
std::string DatosDesdeMapa(std::string_view mapa);
// Map position of data character i.
std::size_t PosicionMapa(std::size_t i);

enum class Dato {
    Modificador,  // `CodigoModificador`, four characters as they stand
    Clave,        // the device key: five digits and "F"
    Banderas,     // flag nibbles C, B, "0", A, "00"
    Contador,     // three digits, each written "0" & digit
    DuracionProhibidas,
    DuracionLibres,
    Memoria,      // 16 device digits, "F" for no digit
    ClaveOperacion,  // five device digits and "F"
};

struct Campo {
    Dato dato;
    int elemento;        // memory or operation-key element; the key's copy (0 first, 1 second)
    std::size_t inicio;  // first data-part character, from 1
    bool soloNuevo;      // written only by firmware above 23 (Fenzo Travesolin)
};

// Width in data-part characters of a field of each kind.
std::size_t Ancho(Dato d);

// Where each restriction's bit (and the trunk's) lives in the flag field: character 1 (C),
// 2 (B) or 4 (A) of the six, with its bit value. Restriction 2 has no bit. One table for the
// decoder and the builder, so a read followed by a write never moves a flag.
struct BitBandera {
    int restriccion;  // 1 to 6; 0 for the switchboard trunk
    std::size_t caracter;
    int valor;
};
inline constexpr BitBandera kBits[] = {
    {1, 4, 1}, {3, 1, 1}, {4, 1, 2}, {5, 2, 4}, {6, 4, 4}, {0, 4, 2},
};
// The six characters of the flag field for a flag text (character k is restriction k) and the
// trunk bit ("1" on).
std::string CampoBanderas(std::string_view banderas, std::string_view troncal);
// The six-character flag text and the trunk bit back from the field.
std::string BanderasDesdeCampo(std::string_view campo);
bool TroncalDesdeCampo(std::string_view campo);

// A key the device takes: exactly five digits, not starting with "0" (the key field has room
// for five and no more; a shorter key would move every later byte on the device).
bool ClaveValida(std::string_view clave);
// Three-digit settings: up to three digits, written right-aligned ("5" is "005").
bool TresDigitosValido(std::string_view texto);
std::string CodificaTresDigitos(std::string_view texto);
// The box text of a three-digit field: the decimal value of each digit nibble ("A" is 0,
// "B" to "F" give "11" to "15", as the device's code leaves them).
std::string DecodificaTresDigitos(std::string_view campo);
// Digit fields (memories, operation keys): what the device can store, digits, "*" and "#".
bool DigitosValidos(std::string_view texto, std::size_t maximo);
// The modifier code as the header holds it: four characters, "0" in front of a short one.
std::string ModificadorCuatro(std::string_view m);
// The dial text of the first `n` device digits of a field ("A" 0, "B" "*", "C" "#", "F" none).
std::string DigitosDeCampo(std::string_view campo, std::size_t n);
// `n` characters of a text, "F" where it is shorter.
using models::RellenaF;

// Writes each field of `tabla` into `datos` from the values `valor(campo)` gives.
// Fields are fitted to their widths, so nothing can move.
template <class F>
void EscribeCampos(std::string& datos, std::span<const Campo> tabla, bool nuevo, F valor);
// Reads each field of `tabla` from `datos` into the decoding `l`; the key from its copy
// `elementoClave`. The modifier is the common header's to show.
template <class L>
void LeeCampos(std::string_view datos, std::span<const Campo> tabla, int elementoClave, L& l);

// The option of a check-box command: "9" ticked, "0" clear; nothing for a greyed box.
std::optional<std::string> OpcionEstado(std::string_view valor);
// The option of a text command: the text unchanged, when it is dialable (digits, "*", "#").
std::optional<std::string> OpcionTexto(std::string_view valor);
// The option of a text command whose place holds `ancho` dial digits: the text unchanged when it
// fits there; why not otherwise.
std::optional<std::string> OpcionAncho(std::string_view valor, std::size_t ancho, Falta* falta = nullptr);
// The option of a duration command: one to three digits, as typed; why not otherwise (an
// empty duration is refused, never sent as nothing).
std::optional<std::string> OpcionDuracion(std::string_view valor, Falta* falta = nullptr);
// A whole decimal index within [minimo, maximo], or nothing.
std::optional<int> Indice(std::string_view texto, int minimo, int maximo);

// ---------------------------------------------------------------- the Fenzo's codec

// The layout of the data part, field by field (map positions in the comments).
extern const std::array<Campo, 21> kCampos;
// Data-part lengths: 194 for the Kalmoro, 224 for the Travesolin.
inline constexpr std::size_t kLongitudKalmoro = 194;
inline constexpr std::size_t kLongitudTravesolin = 224;

// Firmware above 23 is the Travesolin.
bool EsTravesolin(std::string_view version);

struct Panel {
    std::string modificador;
    std::string clave;
    std::string banderas;  // `ZylTexBan`
    std::string troncal;   // "1" or "0"
    std::string contador, duracionProhibidas, duracionLibres;
    std::array<std::string, 10> memorias;  // element i, as `ZylTexFenNumTel`(i)
    std::array<std::string, 4> claves;     // operation keys #02 to #05, `ZylTexFenClv`(1..4)
    std::string version;   // `VersionEquipo`: decides the variant
    std::string firmware;  // `ZylTexResFirm`: the header's version byte
    std::string clase;     // installation class
};

struct Imagen {
    std::string datos;    // `ImagenEnvio`
    std::string trama;    // `TramaEnvio` in map form, model byte "05" (266 characters)
    std::string mascara;  // `MascaraEnvio`: 270 "1"
};
// Why a panel cannot be written ("" when it can): the key, a three-digit box or a digit field
// that the layout cannot carry.
std::string Rechazo(const Panel& panel);
// The programming image of a panel, every field fitted to its place. Call Rechazo first: a
// refused panel must send nothing.
Imagen ArmaImagen(const Panel& panel);
// What the builder writes for one field of the panel, fitted to its width, and whether the
// panel's text is one that field takes.
std::string ValorCampo(const Panel& panel, const Campo& c);
bool CampoValido(const Panel& panel, const Campo& c);
// After a read: marks each field of the panel whose value cannot go back to the device as the
// read gave it (`tabla`: the layout the write carries; `nuevo`: firmware above 23).
void MarcaLectura(app::Programa& p, std::string_view mapa, std::span<const Campo> tabla, bool nuevo);

struct Lectura {
    std::string version;  // decimal
    bool travesolin = false;
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    std::string clave;     // from the variant's own copy
    std::string banderas;  // six characters
    bool troncal = false;
    std::string contador, duracionProhibidas, duracionLibres;
    std::array<std::string, 10> memorias;
    std::array<std::string, 4> claves;
};
// Decodes a map-form image (checksums already checked).
Lectura Decodifica(std::string_view mapa);

struct Comando {
    std::string numero, valor, indice;  // `NumeroComando`, `ValorComando`, `IndiceComando`
    std::string clave;                  // `ZylTexResCla` (the new key for "10")
    std::string claveAnterior, separador, version;
};
// The flag and duration rows the Fenzo's scheme shares: for "1", "3" to "6" and "11" a box's
// state, for "12" and "13" a duration's text; the device's code and the option, which is
// nothing when the value cannot make one. Nothing for any other number.
struct OpcionFila {
    std::string_view codigo;
    std::optional<std::string> opcion;
    Falta falta = Falta::Ninguna;  // why there is no option
};
std::optional<OpcionFila> FilaOpcion(std::string_view numero, std::string_view valor);

struct ComandoArmado {
    std::string cadena;  // `CadenaComando`; empty when the key or the value cannot make one
    std::optional<std::string> imagen;  // what `ImagenEnvio` becomes, when the row sets it
    std::optional<std::string> indice;  // what `IndiceComando` becomes, when the row sets it
    Falta falta = Falta::Ninguna;       // why the string is empty
};
// The remote command for a trigger; nothing for a number the Fenzo does not handle. A row whose
// key, value or index cannot make a command the device takes still has its effects on
// `ImagenEnvio` and `IndiceComando`, and an empty string.
std::optional<ComandoArmado> ArmaComando(const Comando& c);

// A trigger row: `IndiceComando` := the element's index when `pasaIndice`.
using models::Fila;

// The trigger's values from the program, as the command builders take them.
Comando ComandoDe(app::Programa& p);
// A built command applied to the program: its effects on `IndiceComando` and `ImagenEnvio`,
// and `CadenaComando` when it has a string. False when there is nothing to send.
bool TomaComando(app::Programa& p, const std::optional<ComandoArmado>& a);

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfFenzo(app::Programa& p);
void LeeEquipoFenzo(app::Programa& p);
bool PreparaEnvioFenzo(app::Programa& p);
bool ArmaComandoFenzo(app::Programa& p);

// `TroncalFenzo`: the trunk bit of the last Fenzo image decoded in this run ("" before any).
std::string& TroncalFenzo(app::Programa& p);

// ---------------------------------------------------------------- template definition

template <class F>
void EscribeCampos(std::string& datos, std::span<const Campo> tabla, bool nuevo, F valor) {
    for (const Campo& c : tabla) {
        if (c.soloNuevo && !nuevo) continue;
        std::string v = valor(c);
        v.resize(Ancho(c.dato), 'F');
        const std::size_t fin = c.inicio - 1 + v.size();
        if (datos.size() < fin) datos.resize(fin, 'F');
        datos.replace(c.inicio - 1, v.size(), v);
    }
}

template <class L>
void LeeCampos(std::string_view datos, std::span<const Campo> tabla, int elementoClave, L& l) {
    for (const Campo& c : tabla) {
        const std::string_view v = codec::Posiciones(datos, c.inicio, c.inicio + Ancho(c.dato) - 1);
        const auto e = static_cast<std::size_t>(c.elemento);
        switch (c.dato) {
            case Dato::Modificador: break;
            case Dato::Clave:
                if (c.elemento == elementoClave) l.clave = DigitosDeCampo(v, 5);
                break;
            case Dato::Banderas:
                l.banderas = BanderasDesdeCampo(v);
                l.troncal = TroncalDesdeCampo(v);
                break;
            case Dato::Contador: l.contador = DecodificaTresDigitos(v); break;
            case Dato::DuracionProhibidas: l.duracionProhibidas = DecodificaTresDigitos(v); break;
            case Dato::DuracionLibres: l.duracionLibres = DecodificaTresDigitos(v); break;
            case Dato::Memoria: l.memorias[e] = codec::DigitosAMarcacion(v); break;
            case Dato::ClaveOperacion: l.claves[e] = DigitosDeCampo(v, 5); break;
        }
    }
}

}  // namespace zylma::models::fenzo

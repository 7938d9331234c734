// What every model unit does the same way: the configuration record's common fields, the
// panel's first showing, the header of a read, the record of a write, control look-ups and the
// fitting of a field to its width. Each unit keeps its own layout and rules.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zylma/app/modelos.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/forms/control.h"
#include "zylma/records/records.h"

namespace zylma::models {

// Why a command builder built nothing. The pure builders say which check failed; the
// procedure turns it into the refusal's sentence, naming the field the trigger recorded.
enum class Falta {
    Ninguna,
    Clave,        // the device key in the key box is not one the device takes
    ClaveNueva,   // a key change's new key (in the key box by then)
    ClaveActual,  // a key change's old key (`ClaveAnterior`)
    Valor,        // the carried value cannot stand in its place on the device
    Vacio,        // the carried value is empty where the device needs one
    Gris,         // a greyed box is neither on nor off
    SinComando,   // the model has no command for that number or element
};
inline void Marca(Falta* f, Falta que) {
    if (f) *f = que;
}
// ---------------------------------------------------------------- controls

template <class T>
T* control(app::ZylForPri& w, const char* nombre, int indice = -1) {
    return w.findAs<T>(nombre, indice);
}

forms::TextBox* texto(app::ZylForPri& w, const char* nombre, int indice = -1);
// A control the panel does not have is passed over: the value has nowhere to go.
void ponTexto(app::ZylForPri& w, const char* nombre, const std::string& t, int indice = -1);
std::string leeTexto(app::ZylForPri& w, const char* nombre, int indice = -1);
void ponCaption(app::ZylForPri& w, const char* nombre, const std::string& t);

// The installation class, from the main window's caption after its eleventh character.
std::string claseInstalacion(app::ZylForPri& w);

// A default from the record: "1" ticks, "0" clears, any other value leaves the box as it was.
void estadoDesde(forms::CheckBox& c, const std::string& campo);

// ---------------------------------------------------------------- fields

// Cut or padded with "0" in front, as the frame's header fields are, so a short value cannot
// move the data behind it.
std::string Ajusta(std::string_view campo, std::size_t ancho);

// Whether a panel text can stand in a field of `maximo` characters that takes digits and the
// characters of `otros` only: anything else would go to the device, or be dialled, as it stands.
bool CabeEnCampo(std::string_view texto, std::size_t maximo, std::string_view otros = {});

// Characters as typed, "F" (no digit) where the text is shorter, cut at the width.
std::string RellenaF(std::string_view texto, std::size_t n);

// The last element of a box's command: ticked "9", clear "0"; a greyed box has no option the
// device takes.
std::optional<std::string> OpcionCasilla(std::string_view valor);
// Why a box's state gives no option: greyed ("2"), or not a state at all.
inline Falta FaltaCasilla(std::string_view valor) { return valor == "2" ? Falta::Gris : Falta::Valor; }

// Data characters of a two-block image: block 1 holds this many, after the 6-character header;
// block 2 follows the first block's checksum and its own header.
inline constexpr std::size_t kDatosPrimerBloque = 122;
constexpr std::size_t PosicionDatos(std::size_t i) { return i <= kDatosPrimerBloque ? i + 6 : i + 10; }

// A decoding with what every image's header gives: the firmware version and the Gardomelinta
// marks of user type and modifier.
template <class L>
L LecturaConCabecera(std::string_view mapa) {
    L l;
    l.version = codec::VersionDesdeMapa(mapa);
    l.usuarioGardomelinta = codec::MuestraTipoUsuario(mapa);
    l.modificadorGardomelinta = codec::MuestraModificador(mapa);
    return l;
}

// ---------------------------------------------------------------- what a read can give back

// Whether the device's own characters of a field go back unchanged through the panel: the box
// shows them decoded and the builder writes what the box holds. One rule per class of field,
// shared by every unit that has such a field.
//
// A key of device digits ("A" is 0): every character a digit and the first not 0, as the key
// check and the builders take a key. "F" (no digit, an unprogrammed key) shows as nothing and
// cannot go back; "B" and "C" show as "*" and "#", which no key holds.
bool ClaveVuelve(std::string_view crudo, std::size_t largo);
// Three digits, one nibble each ("A" is 0): each a digit, and the number no more than
// `limite` (255 where the box takes no more). A nibble "B" to "F" shows as "11" to "15".
bool TresDigitosVuelven(std::string_view nibbles, long limite);
// A digit field of device digits (memories, operation keys, trunk digits): digits, "A", "B",
// "C", and the no-digit "F" only after the last digit; a gap or another character is lost.
bool DigitosVuelven(std::string_view crudo);
// Every second character of a text from its `desde`-th (from 1): the low nibbles of a run of
// bytes that hold one digit each.
std::string Nibbles(std::string_view mapa, std::size_t desde, std::size_t cuantos);

// Whether what the builder writes for a field stores the device's characters again: the
// device keeps a written "0", "*", "#" as its digits "A", "B", "C".
bool MismoEnEquipo(std::string_view escrito, std::string_view crudo);

// Marks the box as holding a value the read cannot give back, when `noVuelve`.
void MarcaSi(bool noVuelve, app::Programa& p, const char* control, int indice, const std::string& nombre);
// The caption a field's label shows now (set by the configuration record), "&" removed.
std::string CaptionDe(app::ZylForPri& w, const char* nombre, int indice = -1);

// ---------------------------------------------------------------- the unit's table row

// The unit as the main window's dispatch sees it: its name, panel, wire code and procedures.
// The panel's controls, triggers and checks are the unit's own to add.
app::ModeloEquipo Unidad(const char* nombre, const char* panel, const char* codigo,
                         std::function<void(app::Programa&)> cargaConf, std::function<void(app::Programa&)> leeEquipo,
                         std::function<bool(app::Programa&)> preparaEnvio,
                         std::function<bool(app::Programa&)> armaComando);

// A trigger row: `IndiceComando` := the element's index when `pasaIndice`.
app::Disparador Fila(std::string control, int indice, app::Gesto gesto, std::string numero, app::ValorDe valor,
                     bool pasaIndice = false);

// ---------------------------------------------------------------- procedures

// What a read does with an image whose checksums are wrong.
enum class SiDanada {
    NoHaySumas,         // the model's image has none: a whole image is always taken
    Reintenta,          // the read is asked again
    ReintentaGuardada,  // asked again only for a stored image; live, the watchdog ends the read
    EsperaVigilante,    // nothing changes: the watchdog ends the read with its message
};

// The start of every read: true once the reception holds the whole image of the model, its
// checksums right, with the reception closed; false while it is incomplete or when it is
// damaged, with the model's rule for a damaged image applied.
bool TomaImagen(app::Programa& p, const codec::ModeloTrama& trama, SiDanada siDanada);

// Finds and reads the configuration record of the model's folder for the device's version, and
// loads the key, the flag text and the captions of the first `restricciones` restriction boxes.
// False, with the user told, when there is no record or it cannot be read: the fields keep what
// they showed, but the model's own panel is shown alone with its key length (`panel`,
// `largoClave`), so a read of that version never leaves another model's panel or key limit.
bool AbreConfiguracion(app::Programa& p, std::string_view carpeta, std::size_t restricciones, const char* panel,
                       int largoClave, records::Record& r);

// The configured panel shown: restrictions, their visibility, the panels, then the model's own
// with its key box limited to `largoClave` characters.
void MuestraConfiguracion(app::Programa& p, const char* panel, int largoClave);

// What every read shows first: the panel hidden while it fills, the firmware, and the
// Gardomelinta marks of user type and modifier.
void MuestraCabeceraLectura(app::Programa& p, const char* panel, bool usuarioGardomelinta,
                            bool modificadorGardomelinta);

// The end of a read: the panel shown again, the status text, the model the program now talks
// to (its place in ListaModelos) and the next read a live one.
void CierraLectura(app::Programa& p, const char* panel, std::size_t modelo);
// The model the program talks to after a read: its entry in ListaModelos when that names a
// model, otherwise the name of the unit whose panel was read.
std::string ModeloLeido(app::Programa& p, const char* panel, std::size_t modelo);

// One field a write judges: the control (and element) whose text `valido` must accept.
struct Revision {
    const char* control;
    int indice;
    std::function<bool(std::string_view)> valido;
};
// The captions of the fields whose text is refused, in the order given, each named as the panel
// shows it.
std::vector<std::string> CamposRechazados(app::Programa& p, const std::vector<Revision>& revisiones);

// `RechazoComando` := the sentence for `f`; always false, for a builder to return.
bool Rehusa(app::Programa& p, Falta f);

// The command string a unit built becomes `CadenaComando`; nothing built means nothing to send
// (the previous string is not sent again).
bool TomaCadena(app::Programa& p, const std::optional<std::string>& cadena);

// A built write recorded as the last transmission and shown in the monitor.
void RegistraEnvio(app::Programa& p, const std::string& datos, const std::string& trama, const std::string& mascara);

// A write as the unit built it: `img` when every field fits its place ("Activado"); otherwise
// nothing may go out ("DesActivado"), but the refused write is still recorded as the last
// transmission, from the image `ajustada()` builds with every field fitted, its data part empty.
template <class Imagen, class Ajustada>
void RegistraEscritura(app::Programa& p, std::optional<Imagen> img, Ajustada ajustada) {
    p.EstadoCaptura = img ? "Activado" : "DesActivado";
    if (!img) {
        img = ajustada();
        img->datos.clear();
    }
    RegistraEnvio(p, img->datos, img->trama, img->mascara);
}

}  // namespace zylma::models

// Field input checks: every typed change of a checked field is judged at once; a refused text
// gets a modal message and is corrected in place. A text set by code (a read, a replay, a
// configuration load) is never judged nor changed: it is what the device or the record holds.
//
// A digits-only field judges its last character and drops it, as the device's own memories may
// hold "*" or "#" that a read brings back; a field of digits with "*" (and "#") is cut before its
// first bad character, so a paste cannot keep one; times and keys are judged whole, and a
// refused edit puts back the field's last accepted text (for a character typed at the end that
// is the same as dropping it).
#pragma once

#include <string>
#include <vector>

namespace zylma::app {

class Programa;
class ZylForPri;

enum class Regla {
    Digitos,              // digits only
    Tiempo,               // digits, and at most 255
    DigitosEstrella,      // digits and "*"
    DigitosEstrellaGato,  // digits, "*" and "#"
    Clave,                // the device key: digits ("*" third for the Sonobrisa), no leading "0"
    ClaveSalida,          // digits, and not "1", "0", "8" nor "9" alone
};

enum class Correccion { Ninguna, Restaura, Vacia, QuitaUltimo, CortaEnMalo };

struct Juicio {
    Correccion correccion = Correccion::Ninguna;
    std::string mensaje;
    std::string titulo;
};

// The verdict on a field's text. `titulo` is the field's title for the digit message.
Juicio Juzga(Regla regla, const std::string& texto, const std::string& titulo, const std::string& codigoEquipo);

// Where a text of digits, "*" (and "#" for that rule) first holds another character.
std::size_t PrimerMalo(Regla regla, const std::string& texto);

struct Validador {
    std::string control;
    int indice = -1;
    Regla regla = Regla::Digitos;
    std::string titulo;  // of the digit message ("" where the rule names its own)
};

// Wires each row's check to the change of its main-window field; a missing control is skipped.
void InstalaValidadores(Programa& p, ZylForPri& w, const std::vector<Validador>& filas);

// The check every panel shares: the device key of the restriction area.
std::vector<Validador> ValidadoresComunes();

}  // namespace zylma::app

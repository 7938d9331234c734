// Remote-command triggers: a gesture on a panel control records which command is meant, with
// which value and element index, and pops up the hidden menu "Comando" > "Enviar". Each model
// unit gives its rows as data; one mechanism wires them all.
#pragma once

#include <string>
#include <vector>

namespace zylma::forms { class Control; }

namespace zylma::app {

class Programa;
class ZylForPri;

enum class Gesto {
    PulsacionDerecha,  // right-button press on a check box or button
    DobleClic,         // double-click on a text box or label
    Clic,              // click on a button
};

enum class ValorDe {
    Nada,     // `ValorComando` stays as it was
    Estado,   // the check box's state, "0", "1" or "2"
    Texto,    // the text box's text, empty included
    TextoDe,  // the text of another control (`origen`), such as a combo box beside a label
};

struct Disparador {
    std::string control;
    int indice = -1;           // element of a control array, -1 for a single control
    Gesto gesto = Gesto::DobleClic;
    std::string numero;        // `NumeroComando`
    ValorDe valor = ValorDe::Nada;
    std::string origen;        // for ValorDe::TextoDe
    // `IndiceComando` := the element's index plus this; no change when `pasaIndice` is false.
    bool pasaIndice = false;
    int desplazamientoIndice = 0;
    // Selvarindo: after the pop-up, `ParametroSelvarindo` := this and its image builder runs;
    // with `cualquierBoton` a press of any other button does only that.
    std::string parametroSelvarindo;
    bool cualquierBoton = false;
};

// The rows every panel shares: the nine restriction boxes (right press, "1" to "9", their state).
std::vector<Disparador> DisparadoresComunes();

// The caption the panel shows for a trigger's control, as a refusal names it: a check box's or
// a label's own caption; for a text box the label beside it, and for a text box or button the
// caption of its frame before that.
std::string NombreCampo(const ZylForPri& w, const forms::Control& c);

// What a trigger does once its gesture happened: records the values and pops up the menu.
void Dispara(Programa& p, const Disparador& d);
// Wires each row to its control of the main window; a row whose control is missing is skipped.
void InstalaDisparadores(Programa& p, ZylForPri& w, const std::vector<Disparador>& filas);

// The key box's double-click: opens the key-change window beside it (command "10").
void AbreCambioClave(Programa& p);

}  // namespace zylma::app

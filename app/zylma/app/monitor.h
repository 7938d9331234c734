// The frame monitor `ZylForMonitor` and the device command table.
#pragma once

#include "zylma/forms/form.h"

#include <array>

namespace zylma::app {

class Programa;

class ZylForMonitor : public forms::Form {
public:
    explicit ZylForMonitor(Programa& p);
    // ZylTexMon[1] is ZylTexMon01 ... ZylTexMon[8] is ZylTexMon08 (index 0 unused).
    std::array<forms::TextBox*, 9> ZylTexMon{};
    forms::ComboBox* ZylComMon;
    std::array<forms::Button*, 5> ZylCmdMon{};  // [1] "&Grabar" ... [4] "&Comando"

    // The menu "&Monitor": the list of names is read again from the table as it stands on disk
    // (a save in this run, here or by another copy of the table, shows at once), then the window
    // shows. Closing the window only hides it, so its load does not run again.
    void muestra();

private:
    void cargaNombres();
    Programa& p_;
    int registroHallado_ = 0;  // what "&Aplicar" found; "&Grabar" does not rely on it
};

// Without leading and trailing blanks.
std::string Recorta(const std::string& s);
// Today as the short date the records carry ("10/12/2026").
std::string FechaHoy();

// Empties the transmission, reception and map boxes; the command text stays.
void LimpiaMonitor(Programa& p);
// Loads the five fixed commands from the command table, each followed by "f".
void CargaComandos(Programa& p);

}  // namespace zylma::app

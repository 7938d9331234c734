// Selvarindo (model code "08"). Its unit is being written: until then the main window knows
// its name, panel and code, and dispatches to nothing else.
#pragma once

#include "zylma/app/modelos.h"

namespace zylma::models::selvarindo {

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

}  // namespace zylma::models::selvarindo

// Plurimandelo (model code "03"). Its unit is being written: until then the main window knows
// its name, panel and code, and dispatches to nothing else.
#pragma once

#include "zylma/app/modelos.h"

namespace zylma::models::plurimandelo {

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

}  // namespace zylma::models::plurimandelo

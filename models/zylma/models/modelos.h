// The model units, each plugged into the program's dispatch table.
#pragma once

#include "zylma/app/modelos.h"

namespace zylma::models {

// Registers every model unit in the order the main window compares the names.
void RegistraModelos(app::RegistroModelos& registro);

}  // namespace zylma::models

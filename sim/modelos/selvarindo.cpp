// The simulated Selvarindo: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks selvarindoHooks() { return {}; }

}  // namespace zylma::sim

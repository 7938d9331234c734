// The simulated Quintavo: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks quintavoHooks() { return {}; }

}  // namespace zylma::sim

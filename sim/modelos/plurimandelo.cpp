// The simulated Plurimandelo: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks plurimandeloHooks() { return {}; }

}  // namespace zylma::sim

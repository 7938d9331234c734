// The simulated Omnivelda: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks omniveldaHooks() { return {}; }

}  // namespace zylma::sim

// The simulated Sonobrisa: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks sonobrisaHooks() { return {}; }

}  // namespace zylma::sim

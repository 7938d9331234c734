// The simulated Fenzo: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks fenzoHooks() { return {}; }

}  // namespace zylma::sim

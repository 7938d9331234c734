// The simulated Tresmolina: the generic frame behaviour until its unit gives its own.
#include "modelos/modelos_propios.h"

namespace zylma::sim {

ModelHooks tresmolinaHooks() { return {}; }

}  // namespace zylma::sim

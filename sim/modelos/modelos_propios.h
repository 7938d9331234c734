// Each model's own behaviour in the simulator, one file per model; a model that gives none of
// its own gets the generic hooks.
#pragma once

#include "zylma/sim/modelos.h"

namespace zylma::sim {

ModelHooks tendroHooks();
ModelHooks quintavoHooks();
ModelHooks plurimandeloHooks();
ModelHooks sonobrisaHooks();
ModelHooks omniveldaHooks();
ModelHooks tresmolinaHooks();
ModelHooks selvarindoHooks();
ModelHooks fenzoHooks();

}  // namespace zylma::sim

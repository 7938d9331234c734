#include "zylma/models/modelos.h"

#include "grupo1/tendro.h"

namespace zylma::models {

void RegistraModelos(app::RegistroModelos& registro) {
    registro.agrega(tendro::Modelo());
}

}  // namespace zylma::models

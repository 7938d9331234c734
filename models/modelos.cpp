#include "zylma/models/modelos.h"

#include "grupo1/omnivelda.h"
#include "grupo1/plurimandelo.h"
#include "grupo1/sonobrisa.h"
#include "grupo1/tendro.h"
#include "grupo2/fenzo.h"
#include "grupo2/quintavo.h"
#include "grupo2/selvarindo.h"
#include "grupo2/tresmolina.h"

namespace zylma::models {

void RegistraModelos(app::RegistroModelos& registro) {
    // The order the main window compares the model names in.
    registro.agrega(sonobrisa::Modelo());
    registro.agrega(tendro::Modelo());
    registro.agrega(omnivelda::Modelo());
    registro.agrega(plurimandelo::Modelo());
    registro.agrega(fenzo::Modelo());
    registro.agrega(quintavo::Modelo());
    registro.agrega(selvarindo::Modelo());
    registro.agrega(tresmolina::Modelo());
}

}  // namespace zylma::models

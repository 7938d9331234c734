#include "grupo1/sonobrisa.h"

namespace zylma::models::sonobrisa {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Sonobrisa";
    m.panel = "ZylFraSon";
    m.codigo = "04";
    return m;
}

}  // namespace zylma::models::sonobrisa

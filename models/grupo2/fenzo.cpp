#include "grupo2/fenzo.h"

namespace zylma::models::fenzo {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Fenzo";
    m.panel = "ZylFraFen";
    m.codigo = "0:";
    return m;
}

}  // namespace zylma::models::fenzo

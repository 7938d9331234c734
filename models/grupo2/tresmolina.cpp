#include "grupo2/tresmolina.h"

namespace zylma::models::tresmolina {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Tresmolina";
    m.panel = "ZylFraTre";
    m.codigo = "06";
    return m;
}

}  // namespace zylma::models::tresmolina

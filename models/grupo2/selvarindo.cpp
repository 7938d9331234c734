#include "grupo2/selvarindo.h"

namespace zylma::models::selvarindo {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Selvarindo";
    m.panel = "ZylFraSvd";
    m.codigo = "08";
    return m;
}

}  // namespace zylma::models::selvarindo

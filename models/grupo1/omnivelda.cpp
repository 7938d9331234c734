#include "grupo1/omnivelda.h"

namespace zylma::models::omnivelda {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Omnivelda";
    m.panel = "ZylFraOmn";
    m.codigo = "05";
    return m;
}

}  // namespace zylma::models::omnivelda

#include "grupo1/plurimandelo.h"

namespace zylma::models::plurimandelo {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Plurimandelo";
    m.panel = "ZylFraPlu";
    m.codigo = "03";
    return m;
}

}  // namespace zylma::models::plurimandelo

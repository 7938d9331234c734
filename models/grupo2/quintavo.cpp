#include "grupo2/quintavo.h"

namespace zylma::models::quintavo {

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m;
    m.nombre = "Quintavo";
    m.panel = "ZylFraQui";
    m.codigo = "02";
    return m;
}

}  // namespace zylma::models::quintavo

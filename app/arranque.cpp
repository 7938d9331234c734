#include "zylma/app/arranque.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"

namespace zylma::app {

void Arranca(Programa& p) {
    p.NivelUsuario = "Ingenieria";
    p.NumPuerto = 1;
    ZylForPri& w = p.pri();
    if (!p.host().quitting()) w.show();
}

}  // namespace zylma::app

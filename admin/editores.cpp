#include "zylma/admin/editores.h"

#include "zylma/admin/configuracion.h"
#include "zylma/admin/software.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"

namespace zylma::admin {

void InstalaEditores(app::Programa& p, app::ZylForPri& w) {
    w.alEditorEquipos = [&p] { p.ventana<ZylFrmConf>().show(); };
    w.alEditorSoftware = [&p] { p.ventana<ZylFrmCPri>().show(); };
}

void RegistraEditores(app::Programa& p) {
    if (p.priExiste()) InstalaEditores(p, p.pri());
    auto antes = std::move(p.alCargarPrincipal);
    p.alCargarPrincipal = [&p, antes = std::move(antes)] {
        if (antes) antes();
        InstalaEditores(p, p.pri());
    };
}

}  // namespace zylma::admin

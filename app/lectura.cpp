#include "zylma/app/lectura.h"

#include "zylma/app/enlace.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"

namespace zylma::app {

bool LecturaLista(Programa& p, const codec::ModeloTrama& m) {
    ZylForMonitor& mon = p.monitor();
    if (!codec::RecepcionCompleta(mon.ZylTexMon[4]->text(), m)) {
        p.LecturaEnVivo = 1;
        return false;
    }
    if (p.LecturaEnVivo == 1) {
        const std::string mapa = codec::MapaDesdeCodigo(mon.ZylTexMon[5]->text(), codec::LongitudMapa(m));
        mon.ZylTexMon[8]->setText(mapa);
        p.UltimaLectura = mapa;
        p.TramaRecibida = mon.ZylTexMon[4]->text();
        p.MapaLectura = p.UltimaLectura;
        p.CodigoLectura = p.CodigoEquipo;
        p.RecepcionReplay = p.TramaRecibida;
    }
    mon.ZylTexMon[8]->setText(p.MapaLectura);
    mon.ZylTexMon[4]->setText(p.LecturaEnVivo == 1 ? p.TramaRecibida : p.RecepcionReplay);
    return true;
}

void ReintentaLectura(Programa& p) {
    if (p.LecturaEnVivo != 1) {
        // A stored image with a bad checksum: there is nothing to read again.
        p.LecturaEnVivo = 1;
        p.mensaje("Error de Comunicación!");
        p.pri().ZylTexEst->setText("Zylma");
        return;
    }
    if (p.enlace.estado != EstadoEnlace::Leyendo && p.enlace.estado != EstadoEnlace::Reintentando) {
        // An answer no read is waiting for (a free command of the monitor): reported, not
        // read again.
        p.mensaje("Error de Comunicación!");
        p.pri().ZylTexEst->setText("Zylma");
        return;
    }
    if (p.ContadorReintentos < p.Reintentos) {
        p.ContadorReintentos += 1;
        const std::string n = std::to_string(p.ContadorReintentos);
        ReintentoDeLectura(p, n, "Reintento Lectura " + n);
    } else {
        p.ContadorReintentos = 0;
        TerminaConFalla(p, "Error de Comunicación!");
    }
    p.LecturaEnVivo = 1;
}

void IniciaLectura(Programa& p) { p.ContadorReintentos = 0; }

}  // namespace zylma::app

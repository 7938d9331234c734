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
    ZylForPri& w = p.pri();
    if (p.LecturaEnVivo != 1) {
        // A stored image with a bad checksum: there is nothing to read again.
        p.LecturaEnVivo = 1;
        p.mensaje("Error de Comunicación!");
        w.ZylTexEst->setText("Zylma");
        return;
    }
    if (p.ContadorReintentos < p.Reintentos) {
        p.ContadorReintentos += 1;
        // The reception stays closed until the device's "0" opens it again.
        p.RespuestaOK = "";
        p.mensaje(std::to_string(p.ContadorReintentos));
        LimpiaMonitor(p);
        w.ZylTexEst->setText("Reintento Lectura " + std::to_string(p.ContadorReintentos));
        if (p.puerto().isOpen()) p.puerto().write(p.ComandoLectura);
    } else {
        p.ContadorReintentos = 0;
        LecturaCompleta(p);
        p.mensaje("Error de Comunicación!");
        w.ZylTexEst->setText("Zylma");
    }
    p.LecturaEnVivo = 1;
}

void IniciaLectura(Programa& p) { p.ContadorReintentos = 0; }

}  // namespace zylma::app

#include "zylma/app/enlace.h"

#include "zylma/app/cambio_clave.h"
#include "zylma/app/modem.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/conversores.h"

namespace zylma::app {

using Escritura = Programa::Escritura;

namespace {

void detieneEnlace(Programa& p) {
    ZylForPri& w = p.pri();
    w.TimerEC->setTimerEnabled(false);
    w.TimerPID->setTimerEnabled(false);
    p.IndiceEnvio = 1;
    p.RespuestaOK = "";
    p.EstadoEscritura = Escritura::Ninguna;
    p.EnviaImagen = "0";
}

void reiniciaWatchdog(Programa& p) {
    p.pri().TimerEC->setTimerEnabled(false);
    p.pri().TimerEC->setTimerEnabled(true);
}

// Frame 2 of a write: the data part, watched like frame 1.
void iniciaTrama2(Programa& p) {
    const std::string copia = p.ImagenEnvio;
    p.EnviaImagen = "0";
    p.EstadoEscritura = Escritura::Trama2;
    IniciaTrama(p, copia);
    if (p.EstadoEscritura == Escritura::Trama2) reiniciaWatchdog(p);
}

// A frame's "P" went out: the write moves on.
void finDeTrama(Programa& p) {
    switch (p.EstadoEscritura) {
    case Escritura::Trama1:
        p.pri().TimerEC->setTimerEnabled(false);
        p.EstadoEscritura = Escritura::Trama1Lista;
        break;
    case Escritura::EsperaFinTrama1:
        p.pri().TimerEC->setTimerEnabled(false);
        iniciaTrama2(p);
        break;
    case Escritura::Trama2:
        p.pri().TimerEC->setTimerEnabled(false);
        p.EstadoEscritura = Escritura::Ninguna;
        break;
    default: break;
    }
}

}  // namespace

void EnviaSerie(Programa& p, const std::string& comando) {
    p.ComandoSerie = comando;
    const std::string trama = "D" + comando + "1" + "2";
    serial::SerialPort& puerto = p.puerto();
    if (!puerto.isOpen()) {
        // Nothing can go out: say it once and leave the link idle.
        detieneEnlace(p);
        p.pri().ZylTexEst->setText("Zylma");
        p.mensaje("El puerto serie no está abierto: no se puede enviar nada al equipo.", forms::vbExclamation);
        return;
    }
    const int largo = static_cast<int>(trama.size());
    if (p.IndiceEnvio < 1) p.IndiceEnvio = 1;
    if (p.IndiceEnvio >= largo) {
        // At or past the "2": the frame is over.
        puerto.write("P");
        p.IndiceEnvio = 1;
        finDeTrama(p);
        return;
    }
    puerto.write(std::string(1, trama[p.IndiceEnvio - 1]));
    p.IndiceEnvio += 1;
    if (p.IndiceEnvio == largo) {
        puerto.write("P");
        p.IndiceEnvio = 1;
        finDeTrama(p);
    }
}

void IniciaTrama(Programa& p, const std::string& comando) {
    p.IndiceEnvio = 1;
    p.RespuestaOK = "";
    EnviaSerie(p, comando);
}

void RecibeCaracter(Programa& p, char c) {
    p.CaracterRecibido = std::string(1, c);
    if (c == 'T') {
        // A stray "T" with no frame in progress starts the last frame again from its "D".
        // When that frame is a write's first, the write is back in frame 1: frame 2 waits for
        // this one's "P" and the reply time-out watches it again.
        if (p.IndiceEnvio == 1 && p.EstadoEscritura == Escritura::Trama1Lista) {
            p.EstadoEscritura = Escritura::Trama1;
            reiniciaWatchdog(p);
        }
        const std::string copia = p.ComandoSerie;
        EnviaSerie(p, copia);
    }
    if (c == '0') p.RespuestaOK = "OK";
    if (p.RespuestaOK != "OK") return;

    ZylForMonitor& m = p.monitor();
    const int codigo = static_cast<unsigned char>(c);
    m.ZylTexMon[4]->appendText(std::string(1, c));
    m.ZylTexMon[5]->appendText(codec::DecimalAHex2(std::to_string(codigo)));
    m.ZylTexMon[6]->appendText("-" + std::to_string(codigo));
    const std::string& recibido = m.ZylTexMon[4]->text();
    if (recibido.size() > 6) p.CodigoEquipo = recibido.substr(4, 2);
    if (const ModeloEquipo* mod = p.modelos().porCodigo(p.CodigoEquipo); mod && mod->leeEquipo) mod->leeEquipo(p);
}

std::string TextoEventoPuerto(serial::SerialEvent e) {
    switch (e) {
    case serial::SerialEvent::Break: return "Puerto Serie Abierto";
    case serial::SerialEvent::Framing: return "Error en Trama";
    case serial::SerialEvent::Overrun: return "Datos Perdidos";
    case serial::SerialEvent::RxOverflow: return "Desbordamiento";
    case serial::SerialEvent::Parity: return "Error de Paridad";
    case serial::SerialEvent::TxFull: return "Buffer de Transmisión Lleno";
    case serial::SerialEvent::Other: return "";
    }
    return "";
}

void EventoPuerto(Programa& p, serial::SerialEvent e) {
    const std::string texto = TextoEventoPuerto(e);
    if (!texto.empty()) p.mensaje(texto);
}

void LecturaCompleta(Programa& p) {
    p.pri().TimerEC->setTimerEnabled(false);
    p.RespuestaOK = "";
}

void TimerEC_Timer(Programa& p) {
    ZylForPri& w = p.pri();
    // Off first: the message box below lets the timer's events run.
    w.TimerEC->setTimerEnabled(false);
    p.RespuestaOK = "";
    if (p.EstadoEscritura != Escritura::Ninguna) {
        // A write whose frame did not go out in time: nothing more of it is sent.
        w.TimerPID->setTimerEnabled(false);
        p.EstadoEscritura = Escritura::Ninguna;
        p.EnviaImagen = "0";
        p.IndiceEnvio = 1;
    }
    w.ZylTexEst->setText("Zylma");
    p.mensaje("Error de Comunicación");
}

std::string PartirParaMarcar(const std::string& comando) {
    if (comando.size() <= 15) return comando;
    constexpr std::size_t kPrimeros = 13, kTrozo = 4;
    std::string salida = comando.substr(0, kPrimeros);
    for (std::size_t i = kPrimeros; i < comando.size(); i += kTrozo) salida += comando.substr(i, kTrozo) + ",";
    salida.pop_back();  // no pause after the last piece
    return salida;
}

void TimerPID_Timer(Programa& p) {
    ZylForPri& w = p.pri();
    w.TimerPID->setTimerEnabled(false);
    if (p.ClaseInstalacion != "PC") {
        if (p.EnviaImagen == "1") {
            // Frame 2 never starts inside frame 1: it waits for frame 1's "P".
            if (p.EstadoEscritura == Escritura::Trama1) {
                p.EstadoEscritura = Escritura::EsperaFinTrama1;
                return;
            }
            iniciaTrama2(p);
            return;
        }
        const std::string copia = p.CadenaComando;
        IniciaTrama(p, copia);
        return;
    }
    MarcaComandoPC(p);
}

void ConectaEnlace(Programa& p, ZylForPri& w) {
    w.TimerEC->onTimer = [&p] { TimerEC_Timer(p); };
    w.TimerPID->onTimer = [&p] { TimerPID_Timer(p); };
}

void ConectaPuerto(Programa& p, serial::SerialPort& puerto) {
    puerto.onChar = [&p](char c) { RecibeCaracter(p, c); };
    puerto.onEvent = [&p](serial::SerialEvent e) { EventoPuerto(p, e); };
}

}  // namespace zylma::app

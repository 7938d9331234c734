#include "zylma/app/enlace.h"

#include "zylma/app/cambio_clave.h"
#include "zylma/app/modem.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/rechazos.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/conversores.h"

#include <vector>

namespace zylma::app {

using E = EstadoEnlace;

namespace {

void pasa(Programa& p, E e) {
    const E antes = p.enlace.estado;
    p.enlace.estado = e;
    if (antes != e && p.enlace.alCambiar) p.enlace.alCambiar(antes, e);
}
bool en(const Programa& p, E e) { return p.enlace.estado == e; }
bool leyendo(const Programa& p) { return en(p, E::Leyendo) || en(p, E::Reintentando); }

void vigila(Programa& p) {
    // A fresh count for each frame or answer awaited.
    p.pri().TimerEC->setTimerEnabled(false);
    p.pri().TimerEC->setTimerEnabled(true);
}

void noVigila(Programa& p) { p.pri().TimerEC->setTimerEnabled(false); }

void iniciaTimerPID(Programa& p) {
    p.pri().TimerPID->setTimerEnabled(false);  // a fresh 5000 ms count
    p.pri().TimerPID->setTimerEnabled(true);
}

// Back to idle: both timers off, no frame going out, reception closed. A read that did not
// complete puts back the model the panel shows.
void aLibre(Programa& p, bool lecturaFallida) {
    ZylForPri& w = p.pri();
    w.TimerEC->setTimerEnabled(false);
    w.TimerPID->setTimerEnabled(false);
    if (lecturaFallida && leyendo(p)) {
        p.CodigoEquipo = p.enlace.codigoPrevio;
        p.EquipoActual = p.enlace.equipoPrevio;
    }
    pasa(p, E::Libre);
    p.IndiceEnvio = 1;
    p.RespuestaOK = "";
    p.EnviaImagen = "0";
}

// Starts a frame in state `e`, under the watchdog. The frame's start may already have ended
// the operation (a closed port): then nothing is watched.
void tramaVigilada(Programa& p, E e, const std::string& comando) {
    // A write's frames are never sent again on their own: a device given frame 1 twice takes the
    // second for the data part, and a data part alone is no command.
    if (e != E::TramaRepetida) p.enlace.repetible = e != E::Trama1 && e != E::Trama2;
    pasa(p, e);
    IniciaTrama(p, comando);
    if (en(p, e)) vigila(p);
}

// Frame 2 of a write: the data part, watched like frame 1.
void iniciaTrama2(Programa& p) {
    const std::string copia = p.ImagenEnvio;
    p.EnviaImagen = "0";
    tramaVigilada(p, E::Trama2, copia);
}

// A frame's "P" went out: the operation moves on.
void finDeTrama(Programa& p) {
    switch (p.enlace.estado) {
    case E::Trama1:
        noVigila(p);
        pasa(p, E::EntreTramas);
        break;
    case E::EsperaFinTrama1:
        noVigila(p);
        iniciaTrama2(p);
        break;
    case E::Trama2:
    case E::ComandoEnviando:
    case E::ComandoLibre:
    case E::TramaRepetida: aLibre(p, false); break;
    default: break;  // a read's frame: the answer is still to come, under the same watch
    }
}

void muestraPuertoPerdido(Programa& p) {
    const std::string dispositivo = p.puerto().device();
    p.puerto().close();
    const std::string texto = "Se perdió el puerto serie " + std::to_string(p.NumPuerto) +
                              (dispositivo.empty() ? std::string() : " (" + dispositivo + ")") +
                              ": el equipo ya no está conectado y el puerto queda cerrado.";
    if (en(p, E::Libre)) {
        p.mensaje(texto, forms::vbExclamation);
        return;
    }
    TerminaConFalla(p, texto);
}

}  // namespace

const char* NombreEstado(EstadoEnlace e) {
    switch (e) {
    case E::Libre: return "Libre";
    case E::Leyendo: return "Leyendo";
    case E::Reintentando: return "Reintentando";
    case E::Trama1: return "Trama1";
    case E::EntreTramas: return "EntreTramas";
    case E::EsperaFinTrama1: return "EsperaFinTrama1";
    case E::Trama2: return "Trama2";
    case E::ComandoPendiente: return "ComandoPendiente";
    case E::ComandoEnviando: return "ComandoEnviando";
    case E::ComandoLibre: return "ComandoLibre";
    case E::TramaRepetida: return "TramaRepetida";
    case E::Marcando: return "Marcando";
    }
    return "?";
}

std::string MotivoEnlaceOcupado(const Programa& p, const std::string& que) {
    switch (p.enlace.estado) {
    case E::Libre: return "";
    case E::Leyendo:
    case E::Reintentando: return "Espere: la lectura del equipo todavía está en curso.";
    case E::Trama1:
    case E::EntreTramas:
    case E::EsperaFinTrama1:
    case E::Trama2: return "Espere: la escritura anterior todavía se está enviando al equipo.";
    case E::ComandoPendiente:
    case E::ComandoEnviando: return "Espere: el comando anterior todavía se está enviando al equipo.";
    case E::Marcando:
        return (que.empty() ? std::string("No se envió") : "El comando " + que + " no se envió") +
               ": el módem estaba marcando otro comando. Envíelo de nuevo.";
    case E::ComandoLibre:
    case E::TramaRepetida: return "Espere: todavía se está enviando una trama al equipo.";
    }
    return "";
}

bool EnlaceOcupado(Programa& p, const std::string& que) {
    if (en(p, E::Libre)) return false;
    // A box now would hold up the modem's wait for the call's outcome: told when it ends.
    if (en(p, E::Marcando)) p.enlace.avisosTrasMarcar.push_back(MotivoEnlaceOcupado(p, que));
    else RehusaEnvio(p, MotivoEnlaceOcupado(p, que));
    return true;
}

void EmpiezaLectura(Programa& p) {
    p.enlace.codigoPrevio = p.CodigoEquipo;
    p.enlace.equipoPrevio = p.EquipoActual;
    p.CodigoEquipo = "";
    tramaVigilada(p, E::Leyendo, p.ComandoLectura);
}

void EmpiezaEscritura(Programa& p, const std::string& escritura) {
    tramaVigilada(p, E::Trama1, escritura);
    // The data part follows 5000 ms after the button, never inside frame 1.
    if (en(p, E::Trama1)) iniciaTimerPID(p);
}

void ProgramaComando(Programa& p) {
    pasa(p, E::ComandoPendiente);
    iniciaTimerPID(p);
}

void EmpiezaComandoLibre(Programa& p, const std::string& texto) { tramaVigilada(p, E::ComandoLibre, texto); }

void ModeloElegido(Programa& p) {
    if (!leyendo(p)) return;
    p.enlace.codigoPrevio = p.CodigoEquipo;
    p.enlace.equipoPrevio = p.EquipoActual;
}

bool ReintentoDeLectura(Programa& p, const std::string& aviso, const std::string& estado) {
    if (!leyendo(p)) return false;
    // The box below waits for the user, not for the device: the watchdog waits with it, and
    // the reception stays closed until the device's "0" opens it again.
    pasa(p, E::Reintentando);
    noVigila(p);
    p.RespuestaOK = "";
    p.mensaje(aviso);
    // The port may have gone while the box was up: that ended the read with its own message.
    if (!en(p, E::Reintentando)) return false;
    LimpiaMonitor(p);
    p.pri().ZylTexEst->setText(estado);
    p.RespuestaOK = "";
    if (!p.puerto().isOpen() || !p.puerto().write(p.ComandoLectura)) {
        TerminaConFalla(p, MensajePuertoCerrado());
        return false;
    }
    vigila(p);
    return true;
}

void EmpiezaRepeticion(Programa& p) {
    p.enlace.codigoPrevio = p.CodigoEquipo;
    p.enlace.equipoPrevio = p.EquipoActual;
    p.enlace.imagenCompleta = false;
}

void TerminaRepeticion(Programa& p) {
    if (p.enlace.imagenCompleta) return;
    p.CodigoEquipo = p.enlace.codigoPrevio;
    p.EquipoActual = p.enlace.equipoPrevio;
}

void LecturaCompleta(Programa& p) {
    p.enlace.imagenCompleta = true;
    if (leyendo(p)) {
        aLibre(p, false);
    } else if (p.LecturaEnVivo == 1) {
        // A whole image that no read was waiting for (a free command's answer): its model is
        // the one shown now.
        const std::string& recibido = p.monitor().ZylTexMon[4]->text();
        if (recibido.size() > 6) p.CodigoEquipo = recibido.substr(4, 2);
    }
    p.RespuestaOK = "";
}

void TerminaConFalla(Programa& p, const std::string& mensaje) {
    aLibre(p, true);
    p.pri().ZylTexEst->setText("Zylma");
    // Shown last: the box lets events run, and the link is already idle under it.
    p.mensaje(mensaje);
}

std::string MensajePuertoCerrado() { return "El puerto serie no está abierto: no se puede enviar nada al equipo."; }

void EnviaSerie(Programa& p, const std::string& comando) {
    p.ComandoSerie = comando;
    const std::string trama = "D" + comando + "1" + "2";
    serial::SerialPort& puerto = p.puerto();
    if (!puerto.isOpen()) {
        // Nothing can go out: say it once and leave the link idle.
        aLibre(p, true);
        p.pri().ZylTexEst->setText("Zylma");
        p.mensaje(MensajePuertoCerrado(), forms::vbExclamation);
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
        if (p.IndiceEnvio != 1) {
            // The acknowledgement of the frame going out: its next character.
            const std::string copia = p.ComandoSerie;
            EnviaSerie(p, copia);
        } else if (en(p, E::Libre) && p.enlace.repetible) {
            // A "T" with nothing under way starts the last frame again from its "D", under the
            // watchdog. The reception stays as it is: this "T" may sit inside an answer.
            pasa(p, E::TramaRepetida);
            const std::string copia = p.ComandoSerie;
            EnviaSerie(p, copia);
            if (en(p, E::TramaRepetida)) vigila(p);
        }
        // Otherwise an answer or a timer is awaited (a frame started now would run into the one
        // that comes next; between a write's frames the device already has frame 1 and would
        // take it again for the data part), or the last frame was a write's: the stray "T"
        // sends nothing.
    }
    if (c == '0') p.RespuestaOK = "OK";
    if (p.RespuestaOK != "OK") return;

    ZylForMonitor& m = p.monitor();
    const int codigo = static_cast<unsigned char>(c);
    m.ZylTexMon[4]->appendText(std::string(1, c));
    m.ZylTexMon[5]->appendText(codec::DecimalAHex2(std::to_string(codigo)));
    m.ZylTexMon[6]->appendText("-" + std::to_string(codigo));
    // Characters 5-6 name the model of the answer. While a read waits for it, that is the
    // program's model from now on; otherwise (an answer to a free command, or characters that
    // came on top of what the boxes held) it only chooses the decoder, and the model changes
    // when that decoder has a whole image (`LecturaCompleta`).
    const std::string& recibido = m.ZylTexMon[4]->text();
    std::string modelo = leyendo(p) ? p.CodigoEquipo : std::string();
    if (recibido.size() > 6) modelo = recibido.substr(4, 2);
    if (leyendo(p)) p.CodigoEquipo = modelo;
    if (const ModeloEquipo* mod = p.modelos().porCodigo(modelo); mod && mod->leeEquipo) mod->leeEquipo(p);
}

std::string TextoEventoPuerto(serial::SerialEvent e) {
    switch (e) {
    case serial::SerialEvent::Break: return "Puerto Serie Abierto";
    case serial::SerialEvent::Framing: return "Error en Trama";
    case serial::SerialEvent::Overrun: return "Datos Perdidos";
    case serial::SerialEvent::RxOverflow: return "Desbordamiento";
    case serial::SerialEvent::Parity: return "Error de Paridad";
    case serial::SerialEvent::TxFull: return "Buffer de Transmisión Lleno";
    case serial::SerialEvent::Gone:
    case serial::SerialEvent::Other: return "";
    }
    return "";
}

void EventoPuerto(Programa& p, serial::SerialEvent e) {
    if (e == serial::SerialEvent::Gone) {
        // Whatever was under way cannot finish: it ends now, with the port's message.
        muestraPuertoPerdido(p);
        return;
    }
    const std::string texto = TextoEventoPuerto(e);
    if (!texto.empty()) p.mensaje(texto);
}

void TimerEC_Timer(Programa& p) {
    // Off first: the message box below lets the timer's events run.
    p.pri().TimerEC->setTimerEnabled(false);
    TerminaConFalla(p, "Error de Comunicación");
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
        switch (p.enlace.estado) {
        case E::Trama1:
            // Frame 2 never starts inside frame 1: it waits for frame 1's "P".
            pasa(p, E::EsperaFinTrama1);
            return;
        case E::EntreTramas: iniciaTrama2(p); return;
        case E::ComandoPendiente: break;
        case E::Libre:
            // Started from outside the command bar: what `EnviaImagen` says goes out.
            if (p.EnviaImagen == "1") {
                iniciaTrama2(p);
                return;
            }
            break;
        default: return;  // a stale expiry: what is under way has its own watch
        }
        const std::string copia = p.CadenaComando;
        p.EnviaImagen = "0";
        tramaVigilada(p, E::ComandoEnviando, copia);
        return;
    }
    // The data part of a write never goes out this way. The call blocks until the library
    // has judged it (it says the outcome itself); the link is idle again when it returns, and
    // what was turned away meanwhile is told then, so no box of ours stalls the call's wait.
    p.EnviaImagen = "0";
    pasa(p, E::Marcando);
    MarcaComandoPC(p);
    if (en(p, E::Marcando)) aLibre(p, false);
    std::vector<std::string> avisos;
    avisos.swap(p.enlace.avisosTrasMarcar);
    for (const std::string& a : avisos) RehusaEnvio(p, a);
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

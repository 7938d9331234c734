// The serial link of the main window: framing one character per acknowledgement, the receive
// event, the reply watchdog `TimerEC` and the send timer `TimerPID`.
//
// Everything the link does is one state machine, kept here and nowhere else:
//
//   Libre ─"&Leer"──────────────▶ Leyendo ──checksum fails──▶ Reintentando ─┐ (once per retry)
//     │                              │                          ▲──────────┘
//     │                              └─image complete / failure─▶ Libre
//     ├─"&Enviar"─▶ Trama1 ──"P"──▶ EntreTramas ──TimerPID──▶ Trama2 ──"P"──▶ Libre
//     │               └──TimerPID──▶ EsperaFinTrama1 ──"P"──▶ Trama2
//     ├─command, "&Colgar", "&Verificar", "&Reset Fábrica"─▶ ComandoPendiente ──TimerPID──▶
//     │        ComandoEnviando ──"P"──▶ Libre   ("PC": Marcando ──the call is judged──▶ Libre)
//     ├─"&Comando" of the monitor─▶ ComandoLibre ──"P"──▶ Libre
//     └─a "T" with nothing under way─▶ TramaRepetida (the last frame again, unless it was a
//        write's) ──"P"──▶ Libre
//
// Every state but Libre is watched by `TimerEC`, or ends by itself: `TimerPID` ends
// EntreTramas and ComandoPendiente within 5000 ms, the library's call ends Marcando. Every
// ending goes back to Libre with the timers off; a failure (the watchdog, the retries used up,
// the port gone) ends with its one message, after the link is already idle. Nothing starts
// while the link is not idle: every send and both replays ask `EnlaceOcupado` first.
#pragma once

#include "zylma/serial/serial_port.h"

#include <functional>
#include <string>
#include <vector>

namespace zylma::app {

class Programa;
class ZylForPri;

enum class EstadoEnlace {
    Libre,            // idle: both timers off, no frame going out
    Leyendo,          // the read frame and the device's answer, under the watchdog
    Reintentando,     // a read retry sent, its answer awaited under the watchdog
    Trama1,           // a write's first frame going out, under the watchdog
    EntreTramas,      // the first frame done; `TimerPID` brings the data part
    EsperaFinTrama1,  // `TimerPID` came while the first frame was still going out
    Trama2,           // the data part going out, under the watchdog
    ComandoPendiente, // a remote or bar command waits its 5000 ms on `TimerPID`
    ComandoEnviando,  // that command's frame going out, under the watchdog
    ComandoLibre,     // a free command of the monitor going out, under the watchdog
    TramaRepetida,    // the last frame sent again for a stray "T", under the watchdog
    Marcando,         // "PC": the modem window dials the command
};

// The link's own state, one per program.
struct Enlace {
    EstadoEnlace estado = EstadoEnlace::Libre;
    // The model the panel showed when the read started: a read that fails leaves it known.
    std::string codigoPrevio, equipoPrevio;
    // A decoder had a whole image since the last replay began.
    bool imagenCompleta = false;
    // Whether a stray "T" may start the last frame again (not when it was a write's).
    bool repetible = true;
    // Refusals while the modem dials, told once the call has ended.
    std::vector<std::string> avisosTrasMarcar;
    // Told of every change of state, before anything of the new state runs (a log, a test).
    std::function<void(EstadoEnlace antes, EstadoEnlace despues)> alCambiar;
};

// A short name of the state, for messages of tests and logs.
const char* NombreEstado(EstadoEnlace e);

// True, after its one "ZYLMA" message saying what is still going on, while the link is not
// idle (while the modem dials, the message waits for the call's end). Every send and every
// replay asks this before it touches anything.
// `que` names the command turned away, for the message told after a call ("\"Verificar\"").
bool EnlaceOcupado(Programa& p, const std::string& que = "");
// The same sentence, without showing it ("" while idle).
std::string MotivoEnlaceOcupado(const Programa& p, const std::string& que = "");

// The starts, each from Libre (the caller asked `EnlaceOcupado`):
// "&Leer": the read frame of `ComandoLectura`, under the watchdog.
void EmpiezaLectura(Programa& p);
// "&Enviar": frame 1 (`escritura`, the write command without its "f") at once, the data part
// `ImagenEnvio` when `TimerPID` fires.
void EmpiezaEscritura(Programa& p, const std::string& escritura);
// A command (`CadenaComando`) that `TimerPID` sends 5000 ms from now.
void ProgramaComando(Programa& p);
// A free command of the monitor, framed as it stands.
void EmpiezaComandoLibre(Programa& p, const std::string& texto);

// A model button was pressed: while a read is under way, its panel is the one a failed read
// leaves known.
void ModeloElegido(Programa& p);

// A read retry for a damaged answer: the retry's box is the user's time, so the watchdog
// waits; then the read command goes out again, unframed, under the watchdog. Only a read in
// progress retries (false otherwise: nothing was sent).
bool ReintentoDeLectura(Programa& p, const std::string& aviso, const std::string& estado);
// A replay decodes a kept image into the panel as the model it came from (the caller sets the
// model code between these two). One that decodes nothing (a damaged image, a mask of another
// length) leaves the model shown known, as a failed read does.
void EmpiezaRepeticion(Programa& p);
void TerminaRepeticion(Programa& p);
// A decoder has the whole image: the watchdog stops, the reception closes, the read ends.
void LecturaCompleta(Programa& p);
// A read (or any operation) that failed: the link goes idle with the timers off, a read puts
// back the model the panel shows, the status line says "Zylma", then the one message.
void TerminaConFalla(Programa& p, const std::string& mensaje);

// Sends the next character of the frame "D" & command & "1" (the frame's "2" never goes out;
// "P" follows the "1" at once).
void EnviaSerie(Programa& p, const std::string& comando);
// Starts a frame: position 1, reception closed until the device's answer opens it.
void IniciaTrama(Programa& p, const std::string& comando);
// The receive event: one call per received character.
void RecibeCaracter(Programa& p, char c);
// The error events of the port.
void EventoPuerto(Programa& p, serial::SerialEvent e);
// `TimerEC` and `TimerPID` expiry.
void TimerEC_Timer(Programa& p);
void TimerPID_Timer(Programa& p);
// "PC" path: a command longer than 15 characters gets dialling pauses after its first 13.
std::string PartirParaMarcar(const std::string& comando);
// The error texts of the port's events (empty: ignored).
std::string TextoEventoPuerto(serial::SerialEvent e);
// What a send on a closed port says.
std::string MensajePuertoCerrado();

// Wires both timers of the main window to the link.
void ConectaEnlace(Programa& p, ZylForPri& w);
// Wires the port's receive and error events to the link.
void ConectaPuerto(Programa& p, serial::SerialPort& puerto);

}  // namespace zylma::app

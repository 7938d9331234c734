// The serial link of the main window: framing one character per acknowledgement, the receive
// event, the reply watchdog `TimerEC` and the send timer `TimerPID`.
#pragma once

#include "zylma/serial/serial_port.h"

#include <string>

namespace zylma::app {

class Programa;
class ZylForPri;

// Sends the next character of the frame "D" & command & "1" (the frame's "2" never goes out;
// "P" follows the "1" at once).
void EnviaSerie(Programa& p, const std::string& comando);
// Starts a frame: position 1, reception closed until the device's answer opens it.
void IniciaTrama(Programa& p, const std::string& comando);
// The receive event: one call per received character.
void RecibeCaracter(Programa& p, char c);
// The error events of the port.
void EventoPuerto(Programa& p, serial::SerialEvent e);
// A decoder has the whole image: the watchdog stops and the reception closes.
void LecturaCompleta(Programa& p);
// `TimerEC` and `TimerPID` expiry.
void TimerEC_Timer(Programa& p);
void TimerPID_Timer(Programa& p);
// "PC" path: a command longer than 15 characters gets dialling pauses after its first 13.
std::string PartirParaMarcar(const std::string& comando);
// The error texts of the port's events (empty: ignored).
std::string TextoEventoPuerto(serial::SerialEvent e);

// Wires both timers of the main window to the link.
void ConectaEnlace(Programa& p, ZylForPri& w);
// Wires the port's receive and error events to the link.
void ConectaPuerto(Programa& p, serial::SerialPort& puerto);

}  // namespace zylma::app

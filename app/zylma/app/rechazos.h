// Refusals of a send. A write, a remote command or a key change that does not go out says why,
// in one "ZYLMA" message; that message is the whole feedback. Nothing went out, so the status
// line keeps what it showed (neither a sending state nor the "Zylma" of a finished send) and
// the last-transmission record is not rewritten.
#pragma once

#include <string>
#include <vector>

namespace zylma::app {

class Programa;

// The one message of a send that did not go out (title "ZYLMA"). It touches nothing else: not
// the status line, not the last-transmission record, not the pending command.
void RehusaEnvio(Programa& p, const std::string& porque);

// Why, as a whole sentence for RehusaEnvio.
// A write or an earlier command is still going out to the device.
std::string MotivoOcupado();
// The device key in the key box is not one the device takes.
std::string MotivoClave(const std::string& clave);
// The new key of a key change is not one the device takes (`actual`: the device's key instead).
std::string MotivoClaveNueva(const std::string& clave);
std::string MotivoClaveActual(const std::string& clave);
// The value of the field (its caption from the panel) cannot be sent; `detalle` says what is
// wrong with it ("está vacío", "la casilla está en gris", ...), or nothing.
std::string MotivoCampo(const std::string& campo, const std::string& detalle = "");
// The current model has no remote command for the field.
std::string MotivoSinComando(const std::string& campo);
// No model is chosen, so no command can be built.
std::string MotivoSinEquipo();

// A write refused by the unit's checks: "Error en Captura", then the captions of the fields
// that cannot go to the device as they stand (none named when the unit gave none).
std::string TextoErrorEnCaptura(const std::vector<std::string>& campos);
void ErrorEnCaptura(Programa& p, const std::vector<std::string>& campos);

}  // namespace zylma::app

// The "PC" road of a command: dialled on the device's line through the computer's modem.
#pragma once

#include <optional>
#include <string>

namespace zylma::app {

class Programa;

// The text a modem dials for a command string, or nothing when it holds a character that no
// telephone key stands for. The device's end-of-command mark "f" becomes a "," pause where
// more follows (so "&Verificar" dials its text, a pause and the key) and is dropped at the
// end; digits, "*", "#" and "," stay.
std::optional<std::string> TextoParaMarcar(const std::string& comando);

// What `TimerPID` does with `CadenaComando` in a "PC" installation: breaks it up with pauses,
// turns it into keys, refuses (naming the command) what cannot be dialled before the library
// is called, shows "Marcando" while the call blocks, and turns away a command that comes while
// another call is still running.
void MarcaComandoPC(Programa& p);

}  // namespace zylma::app

// What a read leaves behind so that a write gives the device back what it holds.
//
// A read shows every value as the device holds it. Some of those values cannot go back as
// they stand: a key of "FFFF" on an unprogrammed device (shown empty), a duration of 360, a
// counter nibble "B", a memory with a gap. The read marks each such field and says once, in one
// message, which they are; a write, or a remote command that carries one of them, is refused
// naming the field until the user types a value into it. Where the write format itself fixes a
// place that the device holds otherwise, the same message says the write will change it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zylma::app {

class Programa;

struct CampoNoEscribible {
    std::string codigo;   // `CodigoEquipo` of the read that marked it
    std::string control;  // the box on the main window
    int indice = -1;
    std::string nombre;   // how the messages name it: the panel's caption
    std::string leido;    // what the read put in the box
};

// A read begins to decode: the marks of the previous read go.
void IniciaMarcas(Programa& p);
// The field `control`(`indice`) holds, as the read just left it, a value that cannot go back
// to the device as it stands.
void MarcaNoEscribible(Programa& p, const std::string& control, int indice, const std::string& nombre);
// A place the write format fixes holds another value on the device: a write will change it.
void MarcaCambioAlEscribir(Programa& p, const std::string& nombre);
// The read's one message about its marks (nothing when there are none).
void AvisaMarcas(Programa& p);

// The first marked field of the current model that still shows what the read put there.
std::optional<std::string> CampoNoEscribiblePendiente(Programa& p);
// The marked field a remote command from `control`(`indice`) carries, if any: its own box and
// the device key, which every command of a model carries.
std::optional<std::string> CampoNoEscribibleDeComando(Programa& p, const std::string& control, int indice);

// The firmware version a write's header carries: the firmware box's text, or, while the box
// is empty (a write before any read), the version of the chosen model button, never "00".
std::string FirmwareDeEnvio(Programa& p);
// Whether the header can carry a firmware text as it encodes it: one or two decimal digits
// (the header takes the first two characters; letters or a third digit would be lost).
bool FirmwareValido(std::string_view firmware);

// The texts of the read's message, for the tests and the message itself.
std::string TextoMarcas(const std::vector<std::string>& noEscribibles, const std::vector<std::string>& cambian);

}  // namespace zylma::app

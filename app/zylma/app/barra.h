// The command bar and the two dispatchers behind a write and a remote command.
#pragma once

#include <string>

namespace zylma::app {

class Programa;
class ZylForPri;

// Rebuilds the flag text, builds the current model's image and records the last transmission.
// False when the current model code has no image builder or the builder built nothing.
bool PreparaEscritura(Programa& p);
// A remote command: rebuild and record the image, build the command, send it 5000 ms later.
// False when nothing will go out (a write still going out, or no command built).
bool IniciaEnvio(Programa& p);

void Colgar(Programa& p);
void Verificar(Programa& p);
void Leer(Programa& p);
void Enviar(Programa& p);
void UltimoLeido(Programa& p);
void UltimoEnvio(Programa& p);
void ResetFabrica(Programa& p);

// True (after telling the user what is still going on) while the link is not idle: a read, a
// write, a command waiting or going out (the link's `EnlaceOcupado`).
bool EscrituraOcupada(Programa& p, const std::string& que = "");

// Wires the command bar's buttons.
void ConectaBarra(Programa& p, ZylForPri& w);

}  // namespace zylma::app

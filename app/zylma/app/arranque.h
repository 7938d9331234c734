// How the program starts: the first window it shows.
#pragma once

namespace zylma::app {

class Programa;

// Shows the program's first window: the login, which leads through the port choice to the main
// window.
void Arranca(Programa& p);

}  // namespace zylma::app

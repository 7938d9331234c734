// How the program starts: the first window it shows.
#pragma once

namespace zylma::app {

class Programa;

// Shows the program's first window. Until there is a login, the main window opens as the
// engineering user on port 1.
void Arranca(Programa& p);

}  // namespace zylma::app

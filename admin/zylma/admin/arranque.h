// How the program starts: the first window it shows.
#pragma once

namespace zylma::app { class Programa; }

namespace zylma::admin {

// Shows the program's first window: the start-up form, which is the set-up wizard on the first
// run and otherwise opens the login at once (the login leads through the port choice to the
// main window).
void Arranca(app::Programa& p);

}  // namespace zylma::admin

#include "zylma/app/arranque.h"

#include "zylma/app/programa.h"

namespace zylma::admin {
// The start-up form lives with the administration windows (admin/), which Principal links.
void MuestraSelector(app::Programa& p);
// Points the main window's "&Configuración" menu at the record editors.
void RegistraEditores(app::Programa& p);
}  // namespace zylma::admin

namespace zylma::app {

void Arranca(Programa& p) {
    admin::MuestraSelector(p);
    // After the login has been made: the editors' hook adds to what the login does when the main
    // window loads (or goes straight onto a main window the wizard's modal login already made).
    admin::RegistraEditores(p);
}

}  // namespace zylma::app

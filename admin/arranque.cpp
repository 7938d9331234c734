#include "zylma/admin/arranque.h"

#include "zylma/admin/editores.h"
#include "zylma/admin/selector.h"
#include "zylma/app/programa.h"

namespace zylma::admin {

void Arranca(app::Programa& p) {
    MuestraSelector(p);
    // After the login has been made: the editors' hook adds to what the login does when the main
    // window loads (or goes straight onto a main window the wizard's modal login already made).
    RegistraEditores(p);
}

}  // namespace zylma::admin

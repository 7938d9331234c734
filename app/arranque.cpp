#include "zylma/app/arranque.h"

#include "zylma/app/programa.h"

namespace zylma::admin {
// The login lives with the administration windows (admin/), which Principal links.
void MuestraLogin(app::Programa& p, bool modal);
}  // namespace zylma::admin

namespace zylma::app {

void Arranca(Programa& p) { admin::MuestraLogin(p, false); }

}  // namespace zylma::app

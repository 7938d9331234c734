#include "zylma/app/arranque.h"

#include "zylma/app/programa.h"

namespace zylma::admin {
// The start-up form lives with the administration windows (admin/), which Principal links.
void MuestraSelector(app::Programa& p);
}  // namespace zylma::admin

namespace zylma::app {

void Arranca(Programa& p) { admin::MuestraSelector(p); }

}  // namespace zylma::app

// The two record editors reached from the main window's "&Configuración" menu.
#pragma once

namespace zylma::app {
class Programa;
class ZylForPri;
}  // namespace zylma::app

namespace zylma::admin {

// Points "&Equipos" and "&Software" of this main window at ZylFrmConf and ZylFrmCPri.
void InstalaEditores(app::Programa& p, app::ZylForPri& w);
// Does it for the main window when it loads (or now, when it is already there). Call it after
// the login has been made: it keeps whatever the login does at that load and adds to it.
void RegistraEditores(app::Programa& p);

}  // namespace zylma::admin

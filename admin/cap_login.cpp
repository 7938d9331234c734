#include "zylma/admin/cap_login.h"

#include "zylma/app/programa.h"
#include "zylma/records/records.h"

namespace zylma::admin {

using app::Programa;
using namespace zylma::forms;

frmCapLogin::frmCapLogin(Programa& p) : Form(p.host(), "frmCapLogin"), p_(p) {
    construye();
    conecta();
}

void frmCapLogin::construye() {
    setCaption("ZYLMA");
    lblLabels[0] = &add<Label>("lblLabels", 0);
    lblLabels[0]->setCaption("&Nombre de usuario:");
    lblLabels[0]->move(105, 150, 1875, 270);
    txtUsuario = &add<TextBox>("txtUsuario");
    txtUsuario->move(2040, 120, 2325, 345);
    lblLabels[1] = &add<Label>("lblLabels", 1);
    lblLabels[1]->setCaption("&Contraseña:");
    lblLabels[1]->move(105, 555, 1875, 270);
    txtPassword = &add<TextBox>("txtPassword");
    txtPassword->passwordChar = '*';
    txtPassword->move(2040, 525, 2325, 345);
    cmdOK = &add<Button>("cmdOK");
    cmdOK->setCaption("Aceptar");
    cmdOK->isDefault = true;
    cmdOK->move(840, 1050, 1380, 390);
    cmdCancel = &add<Button>("cmdCancel");
    cmdCancel->setCaption("Cancelar");
    cmdCancel->isCancel = true;
    cmdCancel->move(2760, 1050, 1380, 390);
    int orden = 0;
    for (Control* c : std::initializer_list<Control*>{lblLabels[0], txtUsuario, lblLabels[1], txtPassword, cmdOK, cmdCancel})
        c->tabIndex = orden++;
    move(1500, 1500, 4650, 2070);
}

void frmCapLogin::conecta() {
    cmdOK->onClick = [this] { GuardaCapLogin(p_); };
    // Leaves the stored credentials as they were, the same as closing the window.
    cmdCancel->onClick = [this] { unload(); };
}

void MuestraCapLogin(Programa& p) { p.ventana<frmCapLogin>().show(); }

bool EscribeCredenciales(Programa& p, const std::string& app, const std::string& usuario, const std::string& clave) {
    p.RutaArchivo = records::pathCredenciales(app);
    // Whole or not at all: a half-written file would lock the ordinary user out. The record
    // layer gives the file mode 0600, since the password is stored as typed.
    const records::Status st =
        records::rewriteWhole(p.RutaArchivo, records::RegistroCredenciales, records::Record{usuario, clave});
    if (st == records::Status::Ok) return true;
    p.mensaje(std::string("No se pudo escribir el archivo de acceso ") + p.RutaArchivo + " (" + records::describe(st) +
                  "). Los datos de acceso anteriores no han cambiado.",
              vbExclamation);
    return false;
}

void GuardaCapLogin(Programa& p) {
    frmCapLogin& w = p.ventana<frmCapLogin>();
    if (w.txtUsuario->text().empty() || w.txtPassword->text().empty()) {
        p.mensaje(kFaltanCredenciales, vbExclamation);
        return;
    }
    std::string app = p.RutaAplicacion;
    while (!app.empty() && app.back() == '/') app.pop_back();
    if (!EscribeCredenciales(p, app, w.txtUsuario->text(), w.txtPassword->text())) return;
    w.unload();
}

}  // namespace zylma::admin

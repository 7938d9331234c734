#include "zylma/admin/acceso.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/records/records.h"

namespace zylma::admin {

using app::Programa;
using namespace zylma::forms;

namespace {

// The engineering password, built in with the engineering user.
constexpr const char* kClaveIngenieria = "Trufa";

// "&Cancelar", the close boxes and an ordinary user who does not match: the program ends with
// nothing written and no window left up.
void TerminaAcceso(Programa& p, int codigo = 0) {
    if (ZylFrmSelPort* s = p.ventanaSiExiste<ZylFrmSelPort>()) s->hide();
    if (ZylFrmLogin* l = p.ventanaSiExiste<ZylFrmLogin>()) l->hide();
    p.termina(codigo);
}

// The first two characters of a text (all of it when shorter).
std::string primerosDos(const std::string& s) { return s.substr(0, utf8Offset(s, 2)); }

}  // namespace

// ---------------------------------------------------------------- ZylFrmLogin

ZylFrmLogin::ZylFrmLogin(Programa& p) : Form(p.host(), "ZylFrmLogin"), p_(p) {
    construye();
    conecta();
}

void ZylFrmLogin::construye() {
    setCaption("Acceso a ZYLMA");
    lblLabels[0] = &add<Label>("lblLabels", 0);
    lblLabels[0]->setCaption("&Usuario:");
    lblLabels[0]->move(105, 150, 1200, 270);
    txtUserName = &add<TextBox>("txtUserName");
    txtUserName->move(1380, 120, 2325, 345);
    lblLabels[1] = &add<Label>("lblLabels", 1);
    lblLabels[1]->setCaption("&Contraseña:");
    lblLabels[1]->move(105, 555, 1200, 270);
    txtPassword = &add<TextBox>("txtPassword");
    txtPassword->passwordChar = '*';
    txtPassword->move(1380, 525, 2325, 345);
    cmdOK = &add<Button>("cmdOK");
    cmdOK->setCaption("Aceptar");
    cmdOK->isDefault = true;
    cmdOK->move(495, 1050, 1380, 390);
    cmdCancel = &add<Button>("cmdCancel");
    cmdCancel->setCaption("Cancelar");
    cmdCancel->isCancel = true;
    cmdCancel->move(2100, 1050, 1380, 390);
    // A label's mnemonic leads to the box after it.
    int orden = 0;
    for (Control* c : std::initializer_list<Control*>{lblLabels[0], txtUserName, lblLabels[1], txtPassword, cmdOK, cmdCancel})
        c->tabIndex = orden++;
    // The size counts the border and the title bar.
    move(1500, 1500, 3945, 2070);
}

void ZylFrmLogin::conecta() {
    onLoad = [this] { CargaLogin(p_); };
    cmdOK->onClick = [this] { VerificaLogin(p_); };
    cmdCancel->onClick = [this] { TerminaAcceso(p_); };
    onUnload = [this] { TerminaAcceso(p_); };

    // The main window's load hides the port choice and, before anything in that load can show
    // a message, gives the menus of the user's level: an ordinary user never sees the
    // administration menus, not even behind a message about the port.
    // What others already hung on the hook (the record editors, on a first run set up before
    // this window existed) runs after it.
    auto antes = std::move(p_.alCargarPrincipal);
    p_.alCargarPrincipal = [&p = p_, antes = std::move(antes)] {
        if (ZylFrmSelPort* s = p.ventanaSiExiste<ZylFrmSelPort>()) s->hide();
        AplicaMenusNivel(p);
        if (antes) antes();
    };
}

bool CargaLogin(Programa& p) {
    // Every path is the folder and a name with its leading "/": at the root the folder is empty.
    while (!p.RutaAplicacion.empty() && p.RutaAplicacion.back() == '/') p.RutaAplicacion.pop_back();
    p.CarpetaUtilerias = "/Utilerias";
    // No port is chosen yet; an ordinary user of a "PC" installation never chooses one.
    p.NumPuerto = 0;

    records::Record r;
    if (!LeeRegistro(p, records::pathSoftware(p.RutaAplicacion), records::RegistroSoftware, r, "software",
                     ". El programa se cerrará.", vbCritical)) {
        TerminaAcceso(p, 1);
        return false;
    }
    p.ClaseInstalacion = primerosDos(r[26]);
    return true;
}

void VerificaLogin(Programa& p) {
    ZylFrmLogin& w = p.ventana<ZylFrmLogin>();
    const std::string& usuario = w.txtUserName->text();
    const std::string& clave = w.txtPassword->text();

    // Exact comparisons: "ingenieria" or "Ingeniería" is an ordinary user's name.
    if (usuario == kUsuarioIngenieria) {
        if (clave != kClaveIngenieria) {
            p.mensaje("La contraseña no es válida. Vuelva a intentarlo", vbOKOnly, "Inicio de sesión");
            // Back into the password box with all of it selected for overtyping. Set directly:
            // keystrokes would go to whatever holds the focus.
            if (w.activeControl() == w.txtPassword)
                p.host().focus(*w.txtPassword);
            else
                w.setActiveControl(w.txtPassword);
            w.txtPassword->setSelStart(0);
            w.txtPassword->setSelLength(static_cast<int>(utf8Length(w.txtPassword->text())));
            return;
        }
        w.hide();
        p.NivelUsuario = kNivelIngenieria;
        // Also in "PC" installations: the engineering user always picks a port.
        p.ventana<ZylFrmSelPort>().show();
        return;
    }

    records::Record r;
    // Name the file only: what was typed or stored never goes into a message.
    if (!LeeRegistro(p, records::pathCredenciales(p.RutaAplicacion), records::RegistroCredenciales, r, "acceso",
                     ". El programa se cerrará.", vbCritical)) {
        // A fault of the installation, as a software record that cannot be read: the program
        // ends as a failure, not as a user who left.
        TerminaAcceso(p, 1);
        return;
    }
    const std::string& nombreGuardado = r[0];
    const std::string& claveGuardada = r[1];
    // No retry and no word: a stranger learns nothing about which part was wrong.
    if (nombreGuardado.empty() || claveGuardada.empty() || usuario != nombreGuardado || clave != claveGuardada) {
        TerminaAcceso(p);
        return;
    }
    p.NivelUsuario = kNivelOtro;

    if (p.ClaseInstalacion != "PC") {
        // Returns once a choice has hidden the port window and made the main window visible.
        p.ventana<ZylFrmSelPort>().show(true);
        if (p.host().quitting()) return;
        if (!p.priExiste() || !p.pri().visible()) {
            // The window went away without a choice: the same as closing it.
            TerminaAcceso(p);
            return;
        }
    }
    AplicaMenusNivel(p);  // loads the main window when no port choice did
    if (p.host().quitting()) return;
    w.hide();
    p.pri().show();
}

void AplicaMenusNivel(Programa& p) {
    app::ZylForPri& w = p.pri();
    // Only the engineering level administers; any other level, known or not, does not.
    const bool administra = p.NivelUsuario == kNivelIngenieria;
    w.ZylMnuCon->setVisible(administra);
    w.ZylMnuMon->setVisible(administra);
}

void MuestraLogin(Programa& p, bool modal) {
    ZylFrmLogin& w = p.ventana<ZylFrmLogin>();
    if (p.host().quitting()) return;
    w.show(modal);
}

// ---------------------------------------------------------------- ZylFrmSelPort

ZylFrmSelPort::ZylFrmSelPort(Programa& p) : Form(p.host(), "ZylFrmSelPort"), p_(p) {
    construye();
    conecta();
}

void ZylFrmSelPort::construye() {
    setCaption("Puerto Serie");
    ZylLabPuerInf = &add<Label>("ZylLabPuerInf");
    ZylLabPuerInf->setCaption("Que puerto usara ?");
    ZylLabPuerInf->move(240, 240, 2400, 285);
    ZylCmbNumPort = &add<ComboBox>("ZylCmbNumPort");
    ZylCmbNumPort->style = ComboBox::DropDownCombo;
    ZylCmbNumPort->setText("# Puerto");
    ZylCmbNumPort->move(240, 645, 2400, 315);
    move(1500, 1500, 2880, 1620);
}

void ZylFrmSelPort::conecta() {
    onLoad = [this] {
        for (const char* n : {"1", "2", "3", "4", "5"}) ZylCmbNumPort->addItem(n);
        if (ZylFrmLogin* l = p_.ventanaSiExiste<ZylFrmLogin>()) l->hide();
    };
    // Only a choice from the list counts; typing in the field does nothing.
    ZylCmbNumPort->onClick = [this] { EligePuerto(p_); };
    onUnload = [this] { TerminaAcceso(p_); };
}

void EligePuerto(Programa& p) {
    ZylFrmSelPort& w = p.ventana<ZylFrmSelPort>();
    long n = 0;
    // Anything but a port of the list is no choice (it would open a port that is not there).
    if (!app::enteroDeTexto(w.ZylCmbNumPort->text(), n) || n < 1 || n > 5) {
        p.mensaje("Necesitas seleccionar un Número");
        return;
    }
    p.NumPuerto = static_cast<int>(n);
    w.hide();
    p.pri().show();  // its load opens port `NumPuerto` unless the class is "PC"
}

}  // namespace zylma::admin

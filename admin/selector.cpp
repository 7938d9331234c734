#include "zylma/admin/selector.h"

#include "zylma/admin/acceso.h"
#include "zylma/admin/archivos.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/instalador.h"
#include "zylma/app/programa.h"
#include "zylma/records/records.h"

namespace zylma::admin {

using app::Programa;
using namespace zylma::forms;

namespace {

constexpr const char* kTextoSistema = "Sistema Operativo";
constexpr const char* kSistemas[] = {"Windows 95", "Windows 98", "Windows Me", "Windows XP", "Windows NT 4.0",
                                     "Windows 2000"};

std::string carpetaPrograma(const Programa& p) {
    std::string s = p.RutaAplicacion;
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

// The form leaves by its own road: its unload must not end the program.
void Retira(frmSelector& w) {
    w.terminado = true;
    w.unload();
}

}  // namespace

frmSelector::frmSelector(Programa& p) : Form(p.host(), "frmSelector"), p_(p) {
    construye();
    conecta();
}

void frmSelector::construye() {
    setCaption("KZQ");
    lblInformacion = &add<Label>("lblInformacion");
    lblInformacion->setCaption("Por favor complete la siguiente información:");
    lblInformacion->move(240, 165, 6000, 285);

    fraSelClave = &add<Frame>("fraSelClave");
    fraSelClave->setCaption("Seguridad");
    fraSelClave->move(240, 570, 3030, 1455);
    LblSelUsuario = &add<Label>("LblSelUsuario", -1, fraSelClave);
    LblSelUsuario->setCaption("Usuario");
    LblSelUsuario->move(150, 405, 1140, 255);
    TxtSelUsuario = &add<TextBox>("TxtSelUsuario", -1, fraSelClave);
    TxtSelUsuario->move(1320, 360, 1560, 315);
    LblSelContraseña = &add<Label>("LblSelContraseña", -1, fraSelClave);
    LblSelContraseña->setCaption("Contraseña");
    LblSelContraseña->move(150, 885, 1140, 255);
    // Shown as typed: the person setting up writes it down for the user.
    TxtSelContraseña = &add<TextBox>("TxtSelContraseña", -1, fraSelClave);
    TxtSelContraseña->move(1320, 840, 1560, 315);

    frmSelSistema = &add<Frame>("frmSelSistema");
    frmSelSistema->setCaption("Sistema Operativo");
    frmSelSistema->move(3465, 570, 2895, 1455);
    Label1 = &add<Label>("Label1", -1, frmSelSistema);
    Label1->setCaption("Que sistema operativo tiene?");
    Label1->move(150, 405, 2600, 255);
    cmbSelSistemaOperativo = &add<ComboBox>("cmbSelSistemaOperativo", -1, frmSelSistema);
    cmbSelSistemaOperativo->style = ComboBox::DropDownCombo;
    for (const char* s : kSistemas) cmbSelSistemaOperativo->addItem(s);
    cmbSelSistemaOperativo->setText(kTextoSistema);
    cmbSelSistemaOperativo->move(150, 840, 2595, 315);

    fraSelEquipo = &add<Frame>("fraSelEquipo");
    fraSelEquipo->setCaption("Equipo Gardomelinta");
    fraSelEquipo->move(240, 2190, 6120, 2340);
    for (int i = 0; i < 10; ++i) {
        CheckBox* c = &add<CheckBox>("chkEquipoGardomelinta", i, fraSelEquipo);
        c->opcion = true;
        c->setCaption(kModelosInstalables[i]);
        c->move(i < 5 ? 300 : 3210, 390 + (i % 5) * 375, 2610, 300);
        chkEquipoGardomelinta[static_cast<size_t>(i)] = c;
    }

    cmdSelAceptar = &add<Button>("cmdSelAceptar");
    cmdSelAceptar->setCaption("Continuar");
    cmdSelAceptar->move(4620, 4710, 1740, 420);

    int orden = 0;
    for (Control* c : std::initializer_list<Control*>{TxtSelUsuario, TxtSelContraseña, cmbSelSistemaOperativo})
        c->tabIndex = orden++;
    for (CheckBox* c : chkEquipoGardomelinta) c->tabIndex = orden++;
    cmdSelAceptar->tabIndex = orden++;
    move(1200, 900, 6720, 5790);
}

void frmSelector::conecta() {
    onLoad = [this] { CargaSelector(p_); };
    for (int i = 0; i < 10; ++i) chkEquipoGardomelinta[static_cast<size_t>(i)]->onClick = [this, i] { eligeOpcion(i); };
    cmdSelAceptar->onClick = [this] { ContinuarSelector(p_); };
    // Closing the wizard before it is done: there is no other window, so the program ends.
    onUnload = [this] {
        if (terminado || p_.host().quitting()) return;
        hide();
        p_.termina(0);
    };
}

// Option buttons: a click selects its option and clears the others; clicking the selected one
// leaves it selected.
void frmSelector::eligeOpcion(int i) {
    if (agrupando_) return;
    agrupando_ = true;
    chkEquipoGardomelinta[static_cast<size_t>(i)]->setValue(CheckBox::Checked);
    for (int k = 0; k < 10; ++k)
        if (k != i) chkEquipoGardomelinta[static_cast<size_t>(k)]->setValue(CheckBox::Unchecked);
    agrupando_ = false;
    ModeloInstalado = i;
}

void MuestraSelector(Programa& p) {
    frmSelector& w = p.ventana<frmSelector>();
    if (!w.loaded() || p.host().quitting()) return;  // an ordinary start: the login is up
    w.show();
}

void CargaSelector(Programa& p) {
    frmSelector* w = p.ventanaSiExiste<frmSelector>();
    if (!w) return;  // only the form's own load comes here
    const std::string app = carpetaPrograma(p);
    // The telephony set-up program a Windows installation left in the drive root has no
    // counterpart here: the installer puts nothing outside the application folder, so there is
    // nothing to take away from the root either.

    // An installation stopped in the middle puts the kit back first, so this start sees it.
    std::string error;
    if (!RecuperaInstalacion(app, error))
        p.mensaje("Una instalación anterior quedó a medias y no se pudo deshacer: " + error + ".", vbCritical);

    // The kit's standard dialler build still in the shared folder: no installation yet.
    if (archivos::existeArchivo(records::sharedFolder(app) + "/KWMD.DLL")) return;

    Retira(*w);
    records::Record r;
    if (!app::LeeRegistro(p, records::pathSoftware(app), records::RegistroSoftware, r, "software",
                          ". El programa se cerrará.", vbCritical)) {
        p.termina(1);
        return;
    }
    p.ClaseInstalacion = r[26].substr(0, utf8Offset(r[26], 2));
    MuestraLogin(p, false);
}

std::string TextoConfirmacion(const std::string& sistema, const std::string& modelo) {
    return "La información es correcta?\nSistema Operativo: " + sistema + " \nEquipo Gardomelinta: " + modelo;
}

void ContinuarSelector(Programa& p) {
    frmSelector& w = p.ventana<frmSelector>();
    const std::string app = carpetaPrograma(p);
    const std::string sistema = w.cmbSelSistemaOperativo->text();
    const std::string modelo = kModelosInstalables[w.ModeloInstalado];

    w.RespuestaConfirmacion = p.mensaje(TextoConfirmacion(sistema, modelo), vbYesNo, "KZQ");
    if (sistema == kTextoSistema || sistema.empty()) {
        p.mensaje("Necesita seleccionar Sistema Operativo");
        return;
    }
    if (w.RespuestaConfirmacion != vbYes) return;  // the wizard stays for corrections

    // An empty name or password could never log in: the installation would lock out its own
    // user. Asked for before anything is installed.
    if (w.TxtSelUsuario->text().empty() || w.TxtSelContraseña->text().empty()) {
        p.mensaje(kFaltanCredenciales, vbExclamation);
        return;
    }

    // Once the model is installed the wizard does not come back: credentials the record cannot
    // hold (too long, or a character the file's code page has not) are refused first.
    std::string bytes;
    if (const records::Status st = records::encodeRecord(
            records::RegistroCredenciales, {w.TxtSelUsuario->text(), w.TxtSelContraseña->text()}, bytes);
        st != records::Status::Ok) {
        p.mensaje(st == records::Status::TooLong
                      ? std::string("El nombre de usuario y la contraseña son demasiado largos para guardarlos. "
                                    "Acórtelos. No se ha instalado nada.")
                      : std::string("No se pueden guardar el nombre de usuario y la contraseña (") +
                            records::describe(st) + "). Corríjalos. No se ha instalado nada.",
                  vbExclamation);
        return;
    }

    std::string error;
    if (!InstalaEquipo(app, modelo, sistema, error)) {
        p.mensaje("No se pudo instalar el equipo " + modelo + ": " + error + ".", vbCritical);
        return;
    }
    // The installation is in place and the wizard will not come back: a credentials file that
    // cannot be written is reported, and the engineering user can store them later.
    EscribeCredenciales(p, app, w.TxtSelUsuario->text(), w.TxtSelContraseña->text());

    MuestraLogin(p, true);
    if (p.host().quitting()) return;
    Retira(w);
}

}  // namespace zylma::admin

// The program's start-up form `frmSelector`: on an ordinary start it unloads itself and opens
// the login; on the first run (the kit's KWMD.DLL still in the shared folder) it is the set-up
// wizard that installs one model, stores the ordinary user's credentials and opens the login.
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <string>

namespace zylma::app { class Programa; }

namespace zylma::admin {

class frmSelector : public forms::Form {
public:
    explicit frmSelector(app::Programa& p);

    forms::Label* lblInformacion;
    forms::Frame* fraSelClave;
    forms::Label* LblSelUsuario;
    forms::TextBox* TxtSelUsuario;
    forms::Label* LblSelContraseña;
    forms::TextBox* TxtSelContraseña;
    forms::Frame* fraSelEquipo;
    // One group of options: choosing one clears the others.
    std::array<forms::CheckBox*, 10> chkEquipoGardomelinta{};
    forms::Frame* frmSelSistema;
    forms::Label* Label1;
    forms::ComboBox* cmbSelSistemaOperativo;
    forms::Button* cmdSelAceptar;

    // The option clicked last (0, "Sonobrisa", until one is).
    int ModeloInstalado = 0;
    int RespuestaConfirmacion = 0;
    // Set once the form leaves by its own road; any other unload is the user giving up.
    bool terminado = false;

private:
    void construye();
    void conecta();
    void eligeOpcion(int i);
    app::Programa& p_;
    bool agrupando_ = false;
};

// The program's start: makes the start-up form, which either opens the login at once or stays
// as the set-up wizard.
void MuestraSelector(app::Programa& p);

// The form's load: the ordinary start or the wizard.
void CargaSelector(app::Programa& p);
// "Continuar".
void ContinuarSelector(app::Programa& p);

// The wizard's confirmation text.
std::string TextoConfirmacion(const std::string& sistema, const std::string& modelo);

}  // namespace zylma::admin

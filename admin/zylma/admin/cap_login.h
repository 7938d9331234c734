// The credentials window `frmCapLogin`: replaces the ordinary user's name and password in
// qaltro6.dll. The software editor shows it after each save of the software record.
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <string>

namespace zylma::app { class Programa; }

namespace zylma::admin {

class frmCapLogin : public forms::Form {
public:
    explicit frmCapLogin(app::Programa& p);

    std::array<forms::Label*, 2> lblLabels{};  // (0) "&Nombre de usuario:", (1) "&Contraseña:"
    forms::TextBox* txtUsuario;
    forms::TextBox* txtPassword;
    forms::Button* cmdOK;
    forms::Button* cmdCancel;

private:
    void construye();
    void conecta();
    app::Programa& p_;
};

// Shows the credentials window modeless (the one call the software editor makes).
void MuestraCapLogin(app::Programa& p);

// "Aceptar" (or Enter): stores the two texts and unloads the window; an empty one is refused
// with a message and the window stays.
void GuardaCapLogin(app::Programa& p);

// Replaces the credentials record of `app` whole (mode 0600). False, after a message naming the
// file, when it cannot be written; the old record is then left as it was.
bool EscribeCredenciales(app::Programa& p, const std::string& app, const std::string& usuario,
                         const std::string& clave);

// The message for a name or password left empty.
inline constexpr const char* kFaltanCredenciales = "Escriba el nombre de usuario y la contraseña.";

}  // namespace zylma::admin

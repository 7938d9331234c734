// The way into the program: the login window `ZylFrmLogin`, with its two user levels, and the
// serial port choice `ZylFrmSelPort` that leads to the main window.
//
// Both windows belong to the Programa (Programa::ventana<T>()): created and loaded on first use,
// hidden rather than unloaded once they have done their work.
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <string>

namespace zylma::app { class Programa; }

namespace zylma::admin {

// The engineering user, built into the program: service staff rely on it, so it never depends on
// the credentials file.
inline constexpr const char* kUsuarioIngenieria = "Ingenieria";
inline constexpr const char* kNivelIngenieria = "Ingenieria";
inline constexpr const char* kNivelOtro = "Otro";

class ZylFrmLogin : public forms::Form {
public:
    explicit ZylFrmLogin(app::Programa& p);

    std::array<forms::Label*, 2> lblLabels{};  // (0) "&Usuario:", (1) "&Contraseña:"
    forms::TextBox* txtUserName;
    forms::TextBox* txtPassword;
    forms::Button* cmdOK;
    forms::Button* cmdCancel;

private:
    void construye();
    void conecta();
    app::Programa& p_;
};

class ZylFrmSelPort : public forms::Form {
public:
    explicit ZylFrmSelPort(app::Programa& p);

    forms::Label* ZylLabPuerInf;
    forms::ComboBox* ZylCmbNumPort;

private:
    void construye();
    void conecta();
    app::Programa& p_;
};

// Shows the login, modeless (an ordinary start) or modal (the end of the set-up wizard). This is
// the one call the start-up form makes. A login whose load failed has already ended the program.
void MuestraLogin(app::Programa& p, bool modal = false);

// The login window's load: the folder values and the installation class. False (after a "ZYLMA"
// message, with the program ending) when the software record cannot be read.
bool CargaLogin(app::Programa& p);
// "Aceptar" (or Enter).
void VerificaLogin(app::Programa& p);
// A choice in the port list.
void EligePuerto(app::Programa& p);
// Hides "&Configuración" and "&Monitor" of the main window for an ordinary user; the engineering
// user keeps them.
void AplicaMenusNivel(app::Programa& p);

}  // namespace zylma::admin

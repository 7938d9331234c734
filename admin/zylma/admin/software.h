// The software record and users editor `ZylFrmCPri`: the installation's software record (model
// names, the twenty flags, read retries, reply time-out) and the user table.
//
// Made through Programa::ventana<ZylFrmCPri>() from the main window's "&Configuración" >
// "&Software". A software save unloads it; its next use makes it anew.
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <string>

namespace zylma::app { class Programa; }

namespace zylma::admin {

class ZylFrmCPri : public forms::Form {
public:
    explicit ZylFrmCPri(app::Programa& p);

    // ZylTexE[0] is ZylTexE01: E01-E20 model names, E21 retries, E22 time-out, E23 user number,
    // E24 user date, E25 the user's second text.
    std::array<forms::TextBox*, 25> ZylTexE{};
    std::array<forms::CheckBox*, 20> ZylChkE{};  // ZylChkE[0] is ZylChkE01
    forms::TextBox* ZylTexEBan;
    forms::Label* ZylLabCPriEq;
    forms::Label* ZylLabCPriEq2;
    forms::Label* ZylLabCPriEq3;
    forms::Label* ZylLabCPriEq4;
    forms::Button* ZylCmdCPConRec;
    forms::Button* ZylCmdCPConGra;
    forms::Button* ZylCmdCPConAceptar;
    forms::Button* ZylCmdCPConAlta;
    forms::ComboBox* ZylComCPUsuarios;
    forms::Button* ZylCmdUsZylA;
    forms::Button* ZylCmdUsZylG;

    // One "0"/"1" per flag box, box 1 first.
    std::array<std::string, 20> BanderasSoftware{};
    // The user search's answer (1: found) and, on the software save, the answer to its question.
    int Resultado = 0;
    // The record number where the last successful search found the name.
    int RegistroUsuario = 0;
    // The boxes show the stored record (the load or "&Recuperar" read it): only then may a save
    // write them back, or a record that could not be read would be replaced by empty names.
    bool RegistroMostrado = false;

private:
    void construye();
    void conecta();
    app::Programa& p_;
};

// Events of the window, in the system's names.
void CargaCPri(app::Programa& p);            // load: flags to 0, user list filled, record shown
void SigueBanderasSoftware(app::Programa& p); // change of ZylTexEBan: boxes follow the text
bool RecuperaSoftware(app::Programa& p);     // "&Recuperar"; false when the record cannot be read
void GrabaSoftware(app::Programa& p);        // "&Grabar"
void BuscaUsuario(app::Programa& p);         // "&Aplicar"
void GrabaUsuario(app::Programa& p);         // "Gra&bar"
void MuestraUsuario(app::Programa& p);       // choice of a user in the list

}  // namespace zylma::admin

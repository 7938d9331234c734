// The configuration record editor `ZylFrmConf`: one model and firmware's configuration record
// (parameter captions, defaults and visibility, the nine restrictions, device ID, key and
// firmware) and the equipment list `Equipo.WGe` that fills its model list.
//
// A single window made through Programa::ventana<ZylFrmConf>() from the main window's
// "&Configuración" > "&Equipos".
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <string>

namespace zylma::app { class Programa; }

namespace zylma::admin {

class ZylFrmConf : public forms::Form {
public:
    explicit ZylFrmConf(app::Programa& p);

    forms::Frame* Frame2;
    forms::ComboBox* ZylComVis;
    forms::Label* ZylLabVis;
    forms::Label* ZylLabPar;
    forms::Label* ZylLabDef;
    // Index 0 is row 01.
    std::array<forms::CheckBox*, 20> ZylChkConVis{};
    std::array<forms::TextBox*, 20> ZylTexPar{};
    std::array<forms::TextBox*, 20> ZylTexDef{};

    forms::Frame* ZylFrmConRes;
    forms::Label* ZylLabConEst;
    forms::Label* ZylLabConNom;
    forms::Label* ZylLabConVis;
    std::array<forms::CheckBox*, 9> ZylLabConchk{};
    std::array<forms::TextBox*, 9> ZylTexRes{};
    std::array<forms::CheckBox*, 9> ResV{};

    forms::TextBox* ZylTexIde;
    forms::TextBox* ZylTexFirm;
    forms::TextBox* ZylTexCla;
    forms::TextBox* ZylTexFec;
    forms::TextBox* ZylTexDefchk;   // parameter-visible flags 1-10
    forms::TextBox* ZylTexDefchk2;  // 11-19
    forms::TextBox* ZylTexDefchk3;  // 20
    forms::TextBox* ZylTxtConReg;   // restriction states 1-9
    forms::TextBox* ZylTxtConVis;   // restriction visibility 1-9
    forms::Button* ZylCmdGra;

    // One "0"/"1" per check box; they exist for this window alone.
    std::array<std::string, 20> BanderasVisibleParametro{};
    std::array<std::string, 9> BanderasEstadoRestriccion{};
    std::array<std::string, 9> BanderasVisibleRestriccion{};
    // The answer to the window's last question.
    int Resultado = 0;
    // The record number the last scan of the equipment list read last.
    int IndiceCiclo = 0;

private:
    void construye();
    void conecta();
    app::Programa& p_;
};

// Events of the window, in the system's names.
void CargaConfiguracion(app::Programa& p);    // load: defaults and the model list
void LeeConfiguracion(app::Programa& p);      // a model chosen in ZylComVis
void GrabaConfiguracion(app::Programa& p);    // "&Grabar"

}  // namespace zylma::admin

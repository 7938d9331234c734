// The main window `ZylForPri`: model buttons, one panel per model, the command bar, the status
// line and the restriction area shared by the model panels.
#pragma once

#include "zylma/forms/form.h"

#include <array>
#include <memory>

namespace zylma::app {

class Programa;

class ZylForPri : public forms::Form {
public:
    explicit ZylForPri(Programa& p);

    Programa& programa() const { return p_; }

    std::array<forms::Button*, 14> ZylCmd{};  // ZylCmd[0] is ZylCmd01
    forms::Frame* ZylFraPri;
    // The eight model panels, by frame name (ZylFraSon, ZylFraTen, ...).
    forms::Frame* panel(const std::string& name) const;
    std::array<forms::Frame*, 8> paneles{};

    forms::Frame* ZylFraCom;
    // Command bar: [0] ZylFraCom01 "&Colgar" ... [7] ZylFraCom08 "E&scape", [8] ZylFraCom10.
    std::array<forms::Button*, 9> ZylFraComBtn{};
    // By the system's number, 1-8 and 10. Any other number gives a button that belongs to no
    // bar and is never drawn, so a wrong number cannot act on a real button.
    forms::Button& comando(int n) const;

    forms::TextBox* ZylTexEst;
    forms::TextBox* ZylTexBan;
    std::array<forms::CheckBox*, 9> ZylChkRes{};  // ZylChkRes[0] is ZylChkRes01
    forms::TextBox* ZylTexResCla;
    forms::TextBox* ZylTexResFirm;
    forms::TextBox* ZylTexResFirL;
    forms::TextBox* ZylTexResMod;
    forms::TextBox* ZylTexResModL;
    forms::TextBox* ZylTexResUs;
    forms::TextBox* ZylTexResUsL;
    forms::TextBox* ZylTexRes;
    forms::TabStrip* ZylTaSRes;

    // Fenzo and Selvarindo variant controls the model buttons set.
    forms::Label* ZylLabFenTit;
    forms::CheckBox* ZylChkFenResC;
    forms::Frame* ZylFraFenFraClv;
    forms::Label* ZylLblSvdIdent;
    forms::Frame* ZylFraSvdClv;
    forms::Frame* ZylFraSvdRes;

    forms::Timer* TimerEC;
    forms::Timer* TimerPID;

    forms::Menu* ZylMnuPri;
    forms::Menu* ZylMnuPriSal;
    forms::Menu* ZylMnuCon;
    forms::Menu* ZylMnuConE;
    forms::Menu* ZylMnuConC;
    forms::Menu* ZylMnuMon;
    forms::Menu* mnuComando;
    forms::Menu* mnuEnviar;

    // Hooks for the windows and actions that other units own (editors, monitor, command bar,
    // link); each is set by the unit that provides it.
    std::function<void()> alEditorEquipos;
    std::function<void()> alEditorSoftware;

private:
    void construye();
    void conecta();
    Programa& p_;
    std::unique_ptr<forms::Button> ningunComando_;
};

// Procedures of the main window.
void CargaSoftware(Programa& p);
void MuestraEquipo(Programa& p);
void PreparaPaneles(Programa& p);
void OcultaRestricciones(Programa& p);
void MuestraRestricciones(Programa& p);
void AplicaVisibilidadRestricciones(Programa& p);
// The nine `BanderasRestrictor` joined, flag 1 first.
std::string BanderasComoTexto(const Programa& p);
// The model buttons 01 to 14 (n from 1).
void BotonModelo(Programa& p, int n);
// The window's load: the start sequence.
void CargaPrincipal(Programa& p);
// "E&scape", "&Salir" and the close box.
void Termina(Programa& p);

}  // namespace zylma::app

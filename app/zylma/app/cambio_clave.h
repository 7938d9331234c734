// The key-change window `zylforCamCla` and the modem window `ZylForDLLModem`.
#pragma once

#include "zylma/forms/form.h"

namespace zylma::app {

class Programa;

class ZylForCamCla : public forms::Form {
public:
    explicit ZylForCamCla(Programa& p);
    forms::Frame* zylfracancka;
    forms::TextBox* ZylTextCanCka;
    forms::Button* zylCmbCamCla;

private:
    void revisa();
    void envia();
    Programa& p_;
    std::string ultimaValida_;
};

// Loaded by `TimerPID` in "PC" installations: its load dials `CadenaComando` through the
// modem dialler, its activation unloads it.
class ZylForDLLModem : public forms::Form {
public:
    explicit ZylForDLLModem(Programa& p);

private:
    Programa& p_;
};

// What `TimerPID` does with a command in a "PC" installation.
void MarcaPorModem(Programa& p);

}  // namespace zylma::app

// The model units plug into the main window through one table: each unit gives its name as the
// software record lists it, its model code, the panel it fills and its four procedures. The main
// window, the link and the command bar dispatch through it and know no model.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zylma::forms { class Frame; }

#include "zylma/app/disparadores.h"
#include "zylma/app/validadores.h"

namespace zylma::app {

class Programa;
class ZylForPri;

struct ModeloEquipo {
    // Name as `MuestraEquipo` compares it (exactly, accents included), and the panel frame's name.
    std::string nombre;
    std::string panel;
    // Model code in wire form ("00", "0:") as the answer carries it in characters 5-6.
    std::string codigo;
    // Adds the model's own controls to its panel (once, when the main window is built).
    std::function<void(ZylForPri&, forms::Frame&)> creaPanel;
    // `CargaConf...`: loads the configuration record into the panel and shows it.
    std::function<void(Programa&)> cargaConf;
    // `LeeEquipo...`: called after every kept character of an answer.
    std::function<void(Programa&)> leeEquipo;
    // `PreparaEnvio...`: builds the image; false when it refused or built nothing.
    std::function<bool(Programa&)> preparaEnvio;
    // `ArmaComando...`: builds `CadenaComando`; false when it built no command.
    std::function<bool(Programa&)> armaComando;
    // The image builder that the key change and the panel's own triggers call with
    // `ParametroSelvarindo` set (the Selvarindo's), where the write has none.
    std::function<void(Programa&)> preparaParametro;
    // For a model with no write: the image of its variant that a remote command records as the
    // last transmission; false when it has none.
    std::function<bool(Programa&)> preparaTrama;
    // The captions of the panel's fields that the image builder's checks refuse, for the
    // "Error en Captura" of a write.
    std::function<std::vector<std::string>(Programa&)> camposRechazados;
    // The panel's remote-command triggers (the restriction area and key box are common).
    std::vector<Disparador> disparadores;
    // The panel's field checks (the device key's is common).
    std::vector<Validador> validadores;
};

// Every model unit, in the order the dispatch compares the names.
class RegistroModelos {
public:
    void agrega(ModeloEquipo m) { modelos_.push_back(std::move(m)); }
    const ModeloEquipo* porNombre(const std::string& nombre) const;
    const ModeloEquipo* porCodigo(const std::string& codigo) const;
    const ModeloEquipo* porPanel(const std::string& panel) const;
    const std::vector<ModeloEquipo>& todos() const { return modelos_; }

private:
    std::vector<ModeloEquipo> modelos_;
};

}  // namespace zylma::app

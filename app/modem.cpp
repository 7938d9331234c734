#include "zylma/app/modem.h"

#include "zylma/app/cambio_clave.h"
#include "zylma/app/enlace.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"


namespace zylma::app {

std::optional<std::string> TextoParaMarcar(const std::string& comando) {
    std::string marcar;
    for (std::size_t i = 0; i < comando.size(); ++i) {
        const char c = comando[i];
        if (c == 'f') {
            if (i + 1 < comando.size()) marcar += ',';
        } else if ((c >= '0' && c <= '9') || c == '*' || c == '#' || c == ',') {
            marcar += c;
        } else {
            return std::nullopt;
        }
    }
    if (marcar.find_first_not_of(',') == std::string::npos) return std::nullopt;  // no key at all
    return marcar;
}

namespace {

// The command's name for a message: the device command table's entry it starts with, else
// the text itself.
std::string NombreComando(const Programa& p, const std::string& texto) {
    const std::pair<const char*, const std::string*> fijos[] = {
        {"ResetFabrica", &p.ComandoResetFabrica},
        {"Verificar", &p.ComandoVerificar},
        {"Colgado", &p.ComandoColgado},
    };
    for (const auto& [nombre, fijo] : fijos)
        if (!fijo->empty() && *fijo != "f" && texto.rfind(*fijo, 0) == 0) return std::string("\"") + nombre + "\"";
    return "remoto \"" + texto + "\"";
}

}  // namespace

void MarcaComandoPC(Programa& p) {
    ZylForPri& w = p.pri();
    const std::string original = p.CadenaComando;
    p.CadenaAuxiliar = original;
    const std::string partido = PartirParaMarcar(p.CadenaAuxiliar);
    const std::optional<std::string> marcar = TextoParaMarcar(partido);
    if (!marcar) {
        p.CadenaComando = partido;
        w.ZylTexEst->setText("Zylma");
        p.mensaje("El comando " + NombreComando(p, original) +
                      " no se puede marcar por el módem: solo se marcan dígitos, \"*\", \"#\" y pausas. "
                      "No se envió nada.",
                  forms::vbExclamation);
        return;
    }
    p.CadenaComando = *marcar;
    // The call blocks the window for as long as the dial takes: say so before it starts.
    w.ZylTexEst->setText("Marcando");
    p.host().refresh(w);
    if (p.alMarcarModem) p.alMarcarModem();
    else MarcaPorModem(p);
    w.ZylTexEst->setText("Zylma");
}

}  // namespace zylma::app

#include "zylma/sim/comandos.h"

#include "zylma/sim/comandos_kit.h"

namespace zylma::sim {

bool LeeComandos(std::string_view tabla, Comandos& comandos, std::string& error) {
    bool visto[5] = {};
    std::size_t inicio = 0;
    int numero = 0;
    while (inicio < tabla.size()) {
        std::size_t fin = tabla.find('\n', inicio);
        if (fin == std::string_view::npos) fin = tabla.size();
        std::string_view linea = tabla.substr(inicio, fin - inicio);
        inicio = fin + 1;
        ++numero;
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        // Read as the kit generator reads it: blank and "#" lines, leading blanks allowed.
        std::size_t primero = linea.find_first_not_of(" \t");
        if (primero == std::string_view::npos || linea[primero] == '#') continue;
        std::size_t tab = linea.find('\t');
        if (tab == std::string_view::npos || tab == 0) {
            error = "line " + std::to_string(numero) + " of the command table is not \"Name<TAB>Text\"";
            return false;
        }
        std::string_view nombre = linea.substr(0, tab);
        std::string texto(linea.substr(tab + 1));
        const std::pair<std::string_view, std::string*> fijos[] = {
            {"Lectura", &comandos.lectura},     {"Escritura", &comandos.escritura},
            {"ResetFabrica", &comandos.resetFabrica}, {"Verificar", &comandos.verificar},
            {"Colgado", &comandos.colgado},
        };
        for (std::size_t i = 0; i < std::size(fijos); ++i) {
            if (fijos[i].first == nombre) {
                *fijos[i].second = texto;
                visto[i] = true;
            }
        }
    }
    const char* nombres[] = {"Lectura", "Escritura", "ResetFabrica", "Verificar", "Colgado"};
    for (std::size_t i = 0; i < 5; ++i) {
        if (!visto[i]) {
            error = std::string("the command table has no entry \"") + nombres[i] + "\"";
            return false;
        }
    }
    return true;
}

std::string_view TablaComandosKit() { return kTablaComandosKit; }

const Comandos& ComandosKit() {
    static const Comandos comandos = [] {
        Comandos c;
        std::string error;
        LeeComandos(kTablaComandosKit, c, error);  // the build checks the table (tests/sim)
        return c;
    }();
    return comandos;
}

}  // namespace zylma::sim

#include "zylma/app/validadores.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"

#include <memory>

namespace zylma::app {

using namespace zylma::forms;

namespace {

constexpr const char* kTituloClave = "ERROR EN LA CLAVE";

bool esDigito(char c) { return c >= '0' && c <= '9'; }

bool soloDe(const std::string& t, const std::string& otros) {
    for (char c : t)
        if (!esDigito(c) && otros.find(c) == std::string::npos) return false;
    return true;
}

Juicio rechaza(Correccion c, std::string mensaje, std::string titulo) { return Juicio{c, std::move(mensaje), std::move(titulo)}; }

// Characters of a text that its rule would not let the user type (a leading "0" of a key
// counts as one).
std::size_t malos(Regla regla, const std::string& t, const std::string& codigoEquipo) {
    std::string otros;
    switch (regla) {
    case Regla::DigitosEstrella: otros = "*"; break;
    case Regla::DigitosEstrellaGato: otros = "*#"; break;
    default: break;
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (esDigito(t[i]) || otros.find(t[i]) != std::string::npos) continue;
        if (regla == Regla::Clave && i == 2 && codigoEquipo == "04" && t[i] == '*') continue;
        ++n;
    }
    if (regla == Regla::Clave && !t.empty() && t[0] == '0') ++n;
    return n;
}

}  // namespace

std::size_t PrimerMalo(Regla regla, const std::string& t) {
    const std::string otros = regla == Regla::DigitosEstrellaGato ? "*#" : "*";
    for (std::size_t i = 0; i < t.size(); ++i)
        if (!esDigito(t[i]) && otros.find(t[i]) == std::string::npos) return i;
    return t.size();
}

Juicio Juzga(Regla regla, const std::string& t, const std::string& titulo, const std::string& codigoEquipo) {
    switch (regla) {
    case Regla::Digitos:
        // The last character decides, as the device's own memories may hold "*" or "#" that a
        // read puts back into these boxes.
        if (!t.empty() && !esDigito(t.back())) return rechaza(Correccion::QuitaUltimo, "Solo se admiten numeros", titulo);
        return {};
    case Regla::Tiempo: {
        if (!soloDe(t, "")) return rechaza(Correccion::Restaura, "Solo se admiten numeros", titulo);
        // The value the text forms; an empty text is 0.
        long valor = 0;
        for (char c : t) valor = valor > 1000 ? valor : valor * 10 + (c - '0');
        if (valor > 255) return rechaza(Correccion::Vacia, "El límite es 255", "ERROR EN TIEMPO");
        return {};
    }
    case Regla::DigitosEstrella:
        if (!soloDe(t, "*")) return rechaza(Correccion::CortaEnMalo, "Solo se admiten numeros y *", kTituloClave);
        return {};
    case Regla::DigitosEstrellaGato:
        if (!soloDe(t, "*#")) return rechaza(Correccion::CortaEnMalo, "Solo se admiten numeros, * y #", kTituloClave);
        return {};
    case Regla::Clave:
        for (std::size_t i = 0; i < t.size(); ++i) {
            // The Sonobrisa's key may carry its "*" in third place, and nothing else there.
            if (esDigito(t[i]) || (i == 2 && codigoEquipo == "04" && t[i] == '*')) continue;
            return rechaza(Correccion::Restaura, "Solo se admiten numeros", kTituloClave);
        }
        if (!t.empty() && t[0] == '0')
            return rechaza(Correccion::Vacia, "No se admite 0 al inicio de clave", kTituloClave);
        return {};
    case Regla::ClaveSalida:
        if (!t.empty() && !esDigito(t.back())) return rechaza(Correccion::QuitaUltimo, "Solo se admiten numeros", kTituloClave);
        if (t == "1" || t == "0" || t == "8" || t == "9")
            return rechaza(Correccion::QuitaUltimo, "Número prohibido", "ZYLMA ESTA ENOJADO");
        return {};
    }
    return {};
}

void InstalaValidadores(Programa& p, ZylForPri& w, const std::vector<Validador>& filas) {
    for (const Validador& v : filas) {
        auto* caja = w.findAs<TextBox>(v.control, v.indice);
        if (!caja) continue;
        auto aceptado = std::make_shared<std::string>(caja->text());
        caja->onChange = [&p, caja, v, aceptado] {
            const std::string texto = caja->text();
            // What code puts in a box (a read, a replay, a configuration load) is the device's
            // or the record's value and is shown whole; the checks judge what the user types.
            if (!caja->cambioDelUsuario()) {
                *aceptado = texto;
                return;
            }
            const Juicio j = Juzga(v.regla, texto, v.titulo, p.CodigoEquipo);
            // A value that came from the device with characters the user could not type ("#" in a
            // memory, "*" in a key) stays editable: an edit that adds no such character keeps it.
            const std::size_t antes = malos(v.regla, *aceptado, p.CodigoEquipo);
            const bool heredado = antes > 0 && malos(v.regla, texto, p.CodigoEquipo) <= antes &&
                                  j.correccion != Correccion::Vacia;
            if (j.correccion == Correccion::Ninguna || heredado) {
                *aceptado = texto;
                return;
            }
            p.mensaje(j.mensaje, vbOKOnly, j.titulo);
            std::string corregido;
            // Cutting at the first bad character would also cut what the device put there.
            const Correccion correccion =
                antes > 0 && j.correccion != Correccion::Vacia ? Correccion::Restaura : j.correccion;
            switch (correccion) {
            case Correccion::Restaura: corregido = *aceptado; break;
            case Correccion::QuitaUltimo: corregido = texto.substr(0, utf8Offset(texto, utf8Length(texto) - 1)); break;
            case Correccion::CortaEnMalo: corregido = texto.substr(0, PrimerMalo(v.regla, texto)); break;
            default: break;
            }
            // The corrected text is judged again through this same handler.
            caja->setText(corregido);
            caja->setSelStart(static_cast<int>(utf8Length(caja->text())));
        };
    }
}

std::vector<Validador> ValidadoresComunes() { return {{"ZylTexResCla", -1, Regla::Clave, kTituloClave}}; }

}  // namespace zylma::app

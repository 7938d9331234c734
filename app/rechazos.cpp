#include "zylma/app/rechazos.h"

#include "zylma/app/programa.h"

namespace zylma::app {

namespace {
constexpr const char* kNoSeEnvio = "No se envió el comando: ";

std::string entreComillas(const std::string& t) { return "\"" + t + "\""; }
}  // namespace

void RehusaEnvio(Programa& p, const std::string& porque) { p.mensaje(porque, forms::vbExclamation); }

std::string MotivoOcupado() {
    return std::string(kNoSeEnvio) + "todavía se está enviando al equipo una escritura o un comando anterior.";
}

std::string MotivoClave(const std::string& clave) {
    return std::string(kNoSeEnvio) + "la clave del equipo " + entreComillas(clave) +
           " no es una clave que el equipo acepte.";
}

std::string MotivoClaveNueva(const std::string& clave) {
    return "No se envió el cambio de clave: la clave nueva " + entreComillas(clave) +
           " no es una clave que el equipo acepte.";
}

std::string MotivoClaveActual(const std::string& clave) {
    return "No se envió el cambio de clave: la clave actual " + entreComillas(clave) +
           " no es una clave que el equipo acepte.";
}

std::string MotivoCampo(const std::string& campo, const std::string& detalle) {
    std::string t = std::string(kNoSeEnvio) + "el valor de " + entreComillas(campo) + " no se puede enviar al equipo";
    if (!detalle.empty()) t += " (" + detalle + ")";
    return t + ".";
}

std::string MotivoSinComando(const std::string& campo) {
    if (campo.empty()) return std::string(kNoSeEnvio) + "este equipo no tiene comando para ese campo.";
    return std::string(kNoSeEnvio) + "este equipo no tiene comando para " + entreComillas(campo) + ".";
}

std::string MotivoSinEquipo() { return std::string(kNoSeEnvio) + "elija el equipo o léalo primero."; }

std::string TextoErrorEnCaptura(const std::vector<std::string>& campos) {
    std::string t = "Error en Captura";
    if (campos.empty()) return t;
    t += campos.size() == 1 ? ": revise el campo " : ": revise los campos ";
    for (std::size_t i = 0; i < campos.size(); ++i) {
        if (i > 0) t += i + 1 == campos.size() ? " y " : ", ";
        t += entreComillas(campos[i]);
    }
    return t + ".";
}

void ErrorEnCaptura(Programa& p, const std::vector<std::string>& campos) { p.mensaje(TextoErrorEnCaptura(campos)); }

}  // namespace zylma::app

#include "zylma/app/ida_vuelta.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/forms/control.h"

namespace zylma::app {

namespace {

// The text a box shows now (a text box or a combo box); nothing for a missing control.
std::optional<std::string> textoDe(Programa& p, const std::string& control, int indice) {
    forms::Control* c = p.pri().find(control, indice);
    if (!c) return std::nullopt;
    if (auto* t = dynamic_cast<forms::TextBox*>(c)) return t->text();
    if (auto* cb = dynamic_cast<forms::ComboBox*>(c)) return cb->text();
    return std::nullopt;
}

std::string lista(const std::vector<std::string>& nombres) {
    std::string t;
    for (std::size_t i = 0; i < nombres.size(); ++i) {
        if (i > 0) t += i + 1 == nombres.size() ? " y " : ", ";
        t += "\"" + nombres[i] + "\"";
    }
    return t;
}

bool pendiente(Programa& p, const CampoNoEscribible& c) {
    if (c.codigo != p.CodigoEquipo) return false;
    const auto t = textoDe(p, c.control, c.indice);
    return t && *t == c.leido;
}

}  // namespace

std::string FirmwareDeEnvio(Programa& p) {
    const std::string& caja = p.pri().ZylTexResFirm->text();
    return caja.empty() ? p.VersionEquipo : caja;
}

bool FirmwareValido(std::string_view firmware) {
    if (firmware.empty() || firmware.size() > 2) return false;
    for (char c : firmware)
        if (c < '0' || c > '9') return false;
    return true;
}

void IniciaMarcas(Programa& p) {
    p.CamposNoEscribibles.clear();
    p.CambiosAlEscribir.clear();
}

void MarcaNoEscribible(Programa& p, const std::string& control, int indice, const std::string& nombre) {
    for (const CampoNoEscribible& c : p.CamposNoEscribibles)
        if (c.control == control && c.indice == indice) return;
    p.CamposNoEscribibles.push_back({p.CodigoEquipo, control, indice, nombre, textoDe(p, control, indice).value_or("")});
}

void MarcaCambioAlEscribir(Programa& p, const std::string& nombre) {
    for (const std::string& n : p.CambiosAlEscribir)
        if (n == nombre) return;
    p.CambiosAlEscribir.push_back(nombre);
}

std::string TextoMarcas(const std::vector<std::string>& noEscribibles, const std::vector<std::string>& cambian) {
    std::string t;
    if (!noEscribibles.empty()) {
        t = noEscribibles.size() == 1 ? "El campo " : "Los campos ";
        t += lista(noEscribibles);
        t += noEscribibles.size() == 1 ? " muestra lo que tiene el equipo, pero no se puede escribir tal como se leyó"
                                       : " muestran lo que tiene el equipo, pero no se pueden escribir tal como se leyeron";
        t += ": escriba un valor antes de enviar.";
    }
    if (!cambian.empty()) {
        if (!t.empty()) t += "\n";
        t += "Al escribir el equipo cambiará lo que tiene en " + lista(cambian) + ".";
    }
    return t;
}

void AvisaMarcas(Programa& p) {
    std::vector<std::string> nombres;
    for (const CampoNoEscribible& c : p.CamposNoEscribibles) nombres.push_back(c.nombre);
    const std::string t = TextoMarcas(nombres, p.CambiosAlEscribir);
    if (!t.empty()) p.mensaje(t, forms::vbExclamation);
}

std::optional<std::string> CampoNoEscribiblePendiente(Programa& p) {
    for (const CampoNoEscribible& c : p.CamposNoEscribibles)
        if (pendiente(p, c)) return c.nombre;
    return std::nullopt;
}

std::optional<std::string> CampoNoEscribibleDeComando(Programa& p, const std::string& control, int indice) {
    for (const CampoNoEscribible& c : p.CamposNoEscribibles) {
        const bool lleva = c.control == "ZylTexResCla" || (c.control == control && c.indice == indice);
        if (lleva && pendiente(p, c)) return c.nombre;
    }
    return std::nullopt;
}

}  // namespace zylma::app

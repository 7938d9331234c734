// The device command texts, read from the installation kit's readable command table, so the
// simulator answers exactly the texts the program will load from the kit's Comandos.WCon.
#pragma once

#include <string>
#include <string_view>

namespace zylma::sim {

// The five fixed entries, as stored (without the "f" the program adds).
struct Comandos {
    std::string lectura, escritura, resetFabrica, verificar, colgado;

    // What goes between "D" and the closing "1" for each (the program's `ComandoLectura`...).
    std::string conF(const std::string& texto) const { return texto + "f"; }
};

// Reads "Name<TAB>Text" lines; "#" lines and blank lines are skipped, other names ignored, a
// later entry replaces an earlier one. Returns false, saying why, for a line without its TAB
// or when one of the five entries is missing.
bool LeeComandos(std::string_view tabla, Comandos& comandos, std::string& error);

// The kit's own table, built into the simulator.
std::string_view TablaComandosKit();
const Comandos& ComandosKit();

}  // namespace zylma::sim

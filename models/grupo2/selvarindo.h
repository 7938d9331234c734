// Selvarindo (model code "08"): a four-digit device key, two switches and, in the "Sin Voz"
// variant, a four-digit outgoing-call key. It answers a short frame of its own (no blocks, no
// checksum) and is programmed by remote commands only: "&Enviar" stays disabled for it.
#pragma once

#include "comun.h"
#include "zylma/app/modelos.h"

#include <optional>
#include <string>
#include <string_view>

namespace zylma::models::selvarindo {

enum class Variante { Ninguna, SinVoz, ConVoz };

// Sin Voz: a version above 70; Con Voz: the version 2. A version that is not a number is
// neither.
Variante VariantePorVersion(std::string_view version);

// Positions of the working text (map form, from 1) that each variant reads. A digit field
// takes the low nibble of each byte: positions 16, 18, 20, 22 for the Sin Voz key.
struct Disposicion {
    std::size_t elimina1 = 0;      // two characters, "09" when on; 0: not in this variant
    std::size_t bloquea9 = 0;
    std::size_t clave = 0;         // first of four digits, one every second position
    std::size_t claveSalida = 0;   // 0: not in this variant
};
Disposicion DisposicionDe(Variante v);

// A key the device takes: exactly four digits, the device key not starting with "0".
bool ClaveValida(std::string_view clave);
bool ClaveSalidaValida(std::string_view clave);

struct Lectura {
    std::string version;  // characters 7-8 of the reception, as they stand
    Variante variante = Variante::Ninguna;
    bool elimina1 = false;
    bool bloquea9 = false;
    std::string clave;
    std::string claveSalida;
};
// Decodes a 140-character reception and its working text.
Lectura Decodifica(std::string_view recepcion, std::string_view mapa);

// `TramaEnvio` of the variant (132 characters); nothing for a version of neither variant.
std::optional<std::string> ArmaTrama(std::string_view version, bool elimina1, bool bloquea9, std::string_view clave,
                                     std::string_view claveSalida);
// `ImagenEnvio` for a setting ("1" drop-first-1, "2" device key, "3" outgoing key, "4" block-9);
// nothing for any other, and nothing for a switch that is neither checked (1) nor clear (0):
// either leaves it as it was.
std::optional<std::string> DatoParametro(std::string_view parametro, int elimina1, int bloquea9,
                                         std::string_view clave, std::string_view claveSalida);

// The remote command, or nothing.
std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view claveSalida, std::string_view claveAnterior,
                                       std::string_view claveNueva, std::string_view separador,
                                       Falta* falta = nullptr);

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

// The four procedures (the image builder is the one the triggers and the key change call).
void CargaConfSelvarindo(app::Programa& p);
void LeeEquipoSelvarindo(app::Programa& p);
void PreparaEnvioSelvarindo(app::Programa& p);
bool ArmaComandoSelvarindo(app::Programa& p);
// What a remote command records as the last transmission: the image of the current variant
// (none for a version of neither) and the data part of the setting the command carries.
bool TramaComandoSelvarindo(app::Programa& p);

}  // namespace zylma::models::selvarindo

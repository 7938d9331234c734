// Tresmolina (model code "06"): key (twice), restriction flags, switchboard trunk, call counter,
// two durations, four telephone memories and 24 operation keys "#02" to "#25" in a two-block
// image laid out on the Fenzo's scheme; one firmware family, no variants.
#pragma once

#include "grupo2/fenzo.h"
#include "zylma/app/modelos.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zylma::app { class Programa; }

namespace zylma::models::tresmolina {

using fenzo::Campo;
using fenzo::Dato;

// The layout of the data part, field by field (data-part characters; map positions in the
// comments), then the closing "f" at character 249.
extern const std::array<Campo, 35> kCampos;
inline constexpr std::size_t kLongitudDatos = 249;

struct Panel {
    std::string modificador;
    std::string clave;
    std::string banderas;  // `ZylTexBan`
    std::string troncal;   // "1" or "0"
    std::string contador, duracionProhibidas, duracionLibres;
    std::array<std::string, 4> memorias;  // `ZylTexTreNumTel`(0..3), memories 01 to 04
    std::array<std::string, 24> claves;   // `ZylTxtTreClv`(0..23), keys #02 to #25
    std::string firmware;                 // `ZylTexResFirm`: the header's version byte
    std::string clase;                    // installation class
};

struct Imagen {
    std::string datos;    // `ImagenEnvio`, 249 characters ending in "f"
    std::string trama;    // `TramaEnvio` in map form, model byte "05" (266 characters)
    std::string mascara;  // `MascaraEnvio`: 270 "1"
};
// Why a panel cannot be written ("" when it can).
std::string Rechazo(const Panel& panel);
// The programming image, every field fitted to its place. Call Rechazo first.
Imagen ArmaImagen(const Panel& panel);

struct Lectura {
    std::string version;
    bool usuarioGardomelinta = false;
    bool modificadorGardomelinta = false;
    std::string clave;  // the second copy
    std::string banderas;
    bool troncal = false;
    std::string contador, duracionProhibidas, duracionLibres;
    std::array<std::string, 4> memorias;
    std::array<std::string, 24> claves;
};
// Decodes a map-form image (checksums already checked).
Lectura Decodifica(std::string_view mapa);

// The remote command for a trigger; nothing for a number the Tresmolina does not handle. As for
// the Fenzo, a row that cannot make a command still has its effects on `ImagenEnvio` and
// `IndiceComando`, with an empty string. Every string ends in "f".
std::optional<fenzo::ComandoArmado> ArmaComando(const fenzo::Comando& c);

// The unit as the main window's dispatch sees it.
app::ModeloEquipo Modelo();

// The four procedures.
void CargaConfTresmolina(app::Programa& p);
void LeeEquipoTresmolina(app::Programa& p);
bool PreparaEnvioTresmolina(app::Programa& p);
bool ArmaComandoTresmolina(app::Programa& p);

// `TroncalTresmolina`: the trunk bit of the last Tresmolina image decoded ("" before any).
std::string& TroncalTresmolina(app::Programa& p);

}  // namespace zylma::models::tresmolina

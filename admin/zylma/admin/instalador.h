// The installer: turns the installation kit, in place, into the installation of one model for
// one operating system (`InstalaEquipo`). Called once, by the set-up wizard on the first run.
#pragma once

#include <functional>
#include <string>

namespace zylma::admin {

// The ten set-up options, in option order; the installer takes no other caption.
inline constexpr const char* kModelosInstalables[10] = {
    "Sonobrisa", "Tendro",       "Omnivelda",  "Plurimandelo", "Fenzo",
    "Fenzo Kalmoro", "Quintavo", "Tresmolinas", "Selvarindo",  "Selvarindo Voz"};

// The kit folder of an option: the caption, but the two variants share their model's folder.
std::string CarpetaModelo(const std::string& modelo);

// The dialler build for a system: only "Windows 95" takes the older telephony start-up.
std::string LibreriaParaSistema(const std::string& sistema);

// Rebuilds the application folder `app` (no trailing "/") from the kit it holds: keeps Imagenes
// and the chosen model's folder; the shared folder gets the files "Equipo.*", "UltEnvio.*",
// "Comandos.*", "Usuarios.*" and, as Software.WCon, the kit's software record of the option;
// the dialler build for `sistema` becomes QRXdll.dll; the other models' folders go. Only what
// the kit holds is touched: every other folder, file or link in `app` (and beside the shared
// folder in Utilerias) stays as it is. The kit's KWMD.DLL goes with the old shared folder, so
// the next start is an ordinary one.
//
// All or nothing: the kit is checked first, the new folders are built in `app`/Tempo2 and
// swapped in by renames, and a failure puts back what was swapped; a run that was stopped dead
// is undone by RecuperaInstalacion (the start-up form calls it on every start). False, with the
// reason in `error`, when the folder was left as it was (or, when even that failed, where the
// originals lie).
bool InstalaEquipo(const std::string& app, const std::string& modelo, const std::string& sistema,
                   std::string& error);

// Undoes an installation that was stopped in the middle of its swap (the program killed, the
// machine switched off): the kit's originals set aside in `app`/Tempo2 go back in place of the
// half-installed copies, so the folder is the kit again and the wizard comes back. When no swap
// was left open, only a leftover `app`/Tempo2 (the discarded kit of a finished run) is deleted.
// False, with the reason, when something could not be put back (it stays set aside for the next
// try).
bool RecuperaInstalacion(const std::string& app, std::string& error);

// The same, with `prueba` asked before every step that writes (each copy, folder made, rename of
// the swap, and the commit; given the path written); false makes that step fail, so tests reach
// every step a real failure could stop at.
using PruebaMovimiento = std::function<bool(const std::string& destino)>;
bool InstalaEquipo(const std::string& app, const std::string& modelo, const std::string& sistema,
                   std::string& error, const PruebaMovimiento& prueba);

}  // namespace zylma::admin

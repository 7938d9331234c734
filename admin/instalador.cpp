#include "zylma/admin/instalador.h"

#include "zylma/admin/archivos.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace zylma::admin {

namespace {

constexpr const char* kTemporal = "Tempo2";
constexpr const char* kUtilerias = "Utilerias";
constexpr const char* kImagenes = "Imagenes";
constexpr const char* kLibreria = "QRXdll.dll";
// Beside `anterior`: the folder had no library before the swap.
constexpr const char* kSinLibreria = "sin-QRXdll.dll";
// The shared files every installation keeps, by pattern, in this order.
constexpr const char* kPatronesComunes[] = {"Equipo.*", "UltEnvio.*", "Comandos.*", "Usuarios.*"};

bool esModeloInstalable(const std::string& modelo) {
    for (const char* m : kModelosInstalables)
        if (modelo == m) return true;
    return false;
}

// Folder names compare as the disk of the kit compares them: without regard to case.
bool mismoNombre(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto baja = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (baja(a[i]) != baja(b[i])) return false;
    }
    return true;
}

std::string nombreDe(const std::string& ruta) { return std::filesystem::path(ruta).filename().string(); }

// The folders of the kit that an installation replaces or takes away: the pictures and the
// eight model folders. Whatever else lies in the application folder (a packaged program's
// libraries, the user's documents) is not the kit's and stays.
bool esCarpetaDelKit(const std::string& nombre) {
    if (mismoNombre(nombre, kImagenes)) return true;
    for (const char* m : kModelosInstalables)
        if (mismoNombre(nombre, CarpetaModelo(m))) return true;
    return false;
}

// Asks the test hook before a step that writes; a "no" fails the step as the disk would.
bool paso(const PruebaMovimiento& prueba, const std::string& destino, std::string& error) {
    if (!prueba || prueba(destino)) return true;
    error = "No se pudo escribir en " + destino;
    return false;
}

// The shared folder as it lies in `app`: its three names, found without regard to case.
struct Compartida {
    std::string utilerias, generales, equipos;
    std::string relativa() const { return utilerias + "/" + generales + "/" + equipos; }
};
Compartida compartidaEn(const std::string& app) {
    const std::string real = files::resolvePath(records::sharedFolder(app));
    const std::filesystem::path p(real);
    return {p.parent_path().parent_path().filename().string(), p.parent_path().filename().string(),
            p.filename().string()};
}

// The renames of the swap, so a failure can put each one back, last first.
class Intercambio {
public:
    explicit Intercambio(const PruebaMovimiento& prueba) : prueba_(prueba) {}
    bool mueve(const std::string& de, const std::string& a, std::string& error) {
        if (!paso(prueba_, a, error)) return false;
        if (!archivos::renombra(de, a, error)) return false;
        hechos_.emplace_back(de, a);
        return true;
    }
    // True when everything went back.
    bool deshace(std::string& error) {
        bool ok = true;
        for (auto it = hechos_.rbegin(); it != hechos_.rend(); ++it) {
            std::string e;
            if (!archivos::renombra(it->second, it->first, e)) {
                ok = false;
                error += "; " + e;
            }
        }
        hechos_.clear();
        return ok;
    }

private:
    const PruebaMovimiento& prueba_;
    std::vector<std::pair<std::string, std::string>> hechos_;
};

// Checks that `app` is a kit holding what this installation takes, before anything is touched.
bool revisaKit(const std::string& app, const std::string& modelo, const std::string& sistema, std::string& error) {
    if (app.empty() || app == "/") {
        error = "La carpeta del programa no puede ser la raíz del disco";
        return false;
    }
    if (!esModeloInstalable(modelo)) {
        error = "El equipo \"" + modelo + "\" no se puede instalar";
        return false;
    }
    const std::string compartida = records::sharedFolder(app);
    // Without the kit's standard build this is an installed folder, not a kit: rebuilding it
    // would throw away the other models' folders for nothing.
    if (!archivos::existeArchivo(compartida + "/KWMD.DLL")) {
        error = "La carpeta " + app + " no es un paquete de instalación (falta " + compartida + "/KWMD.DLL)";
        return false;
    }
    for (const std::string& carpeta : {app + "/" + kImagenes, app + "/" + CarpetaModelo(modelo)}) {
        if (!archivos::existeCarpeta(carpeta)) {
            error = "No existe la carpeta " + carpeta;
            return false;
        }
    }
    const std::string libreria = compartida + "/" + LibreriaParaSistema(sistema);
    if (!archivos::existeArchivo(libreria)) {
        error = "No existe el archivo " + libreria;
        return false;
    }
    // The record the main window will live on: it must read as one.
    const std::string software = compartida + "/" + modelo + ".Wcon";
    records::Record r;
    const records::Status st = records::readSingle(software, records::RegistroSoftware, r);
    if (st != records::Status::Ok) {
        error = std::string(st == records::Status::Missing ? "No existe el archivo " : "No se puede leer el archivo ") +
                software + (st == records::Status::Missing ? "" : std::string(" (") + records::describe(st) + ")");
        return false;
    }
    return true;
}

// The new folders and the library in `nuevo`, from the kit in `app`.
bool preparaNuevo(const std::string& app, const std::string& nuevo, const std::string& modelo,
                  const std::string& sistema, std::string& error, const PruebaMovimiento& prueba) {
    const std::string compartida = records::sharedFolder(app);
    const std::string nuevaCompartida = records::sharedFolder(nuevo);
    for (const std::string& c : {app + "/" + kImagenes, app + "/" + CarpetaModelo(modelo)})
        if (!paso(prueba, nuevo + "/" + nombreDe(files::resolvePath(c)), error) || !archivos::copiaCarpeta(c, nuevo, error))
            return false;
    for (const std::string& c : {nuevo + "/" + kUtilerias, nuevo + "/" + kUtilerias + "/Generales", nuevaCompartida})
        if (!paso(prueba, c, error) || !archivos::creaCarpeta(c, error)) return false;
    // A pattern with no file is no fault: the last-transmission record, for one, comes with the
    // first write.
    for (const char* patron : kPatronesComunes)
        if (!paso(prueba, nuevaCompartida + "/" + patron, error) ||
            !archivos::copiaArchivos(compartida, patron, nuevaCompartida, error))
            return false;
    // The option's own record, by its full caption: "Fenzo Kalmoro" is not "Fenzo".
    const std::string software = nombreDe(files::resolvePath(compartida + "/" + modelo + ".Wcon"));
    if (!paso(prueba, nuevaCompartida + "/" + software, error) ||
        !archivos::copiaArchivos(compartida, software, nuevaCompartida, error))
        return false;
    if (!paso(prueba, records::pathSoftware(nuevo), error) ||
        !archivos::renombra(nuevaCompartida + "/" + software, records::pathSoftware(nuevo), error))
        return false;
    const std::string libreria = nombreDe(files::resolvePath(compartida + "/" + LibreriaParaSistema(sistema)));
    if (!paso(prueba, nuevo + "/" + libreria, error) || !archivos::copiaArchivos(compartida, libreria, nuevo, error))
        return false;
    return paso(prueba, nuevo + "/" + kLibreria, error) &&
           archivos::renombra(nuevo + "/" + libreria, nuevo + "/" + kLibreria, error);
}

// Swaps the new state in: the kit's old folders go into `anterior`, the new ones take their
// place, the shared folder last, so the first-run mark goes only with the last rename. Only the
// shared folder itself is swapped, under the two folders that lead to it, so nothing else in
// them is touched either.
bool intercambia(const std::string& app, const std::string& nuevo, const std::string& anterior, std::string& error,
                 bool& restaurado, const PruebaMovimiento& prueba) {
    Intercambio cambio(prueba);
    auto falla = [&] {
        std::string e;
        restaurado = cambio.deshace(e);
        if (!restaurado)
            error += ". No se pudo dejar la carpeta como estaba" + e + "; lo anterior está en " + anterior;
        return false;
    };
    for (const std::string& c : archivos::carpetasDe(app)) {
        if (!esCarpetaDelKit(c)) continue;
        if (!cambio.mueve(app + "/" + c, anterior + "/" + c, error)) return falla();
    }
    for (const std::string& c : archivos::carpetasDe(nuevo)) {
        if (mismoNombre(c, kUtilerias)) continue;
        if (!cambio.mueve(nuevo + "/" + c, app + "/" + c, error)) return falla();
    }
    const std::string marca = std::filesystem::path(anterior).parent_path() / kSinLibreria;
    if (archivos::existeArchivo(app + "/" + kLibreria)) {
        if (!cambio.mueve(app + "/" + kLibreria, anterior + "/" + kLibreria, error)) return falla();
    } else {
        // No build to put back: the mark tells an undo to take the new one away.
        if (!paso(prueba, marca, error)) return falla();
        std::ofstream escrito(marca);
        if (!escrito) {
            error = "No se pudo escribir en " + anterior;
            return falla();
        }
    }
    if (!cambio.mueve(nuevo + "/" + kLibreria, app + "/" + kLibreria, error)) return falla();
    const Compartida c = compartidaEn(app);
    for (const std::string& carpeta : {anterior + "/" + c.utilerias, anterior + "/" + c.utilerias + "/" + c.generales})
        if (!paso(prueba, carpeta, error) || !archivos::creaCarpeta(carpeta, error)) return falla();
    if (!cambio.mueve(app + "/" + c.relativa(), anterior + "/" + c.relativa(), error)) return falla();
    if (!cambio.mueve(records::sharedFolder(nuevo), app + "/" + c.relativa(), error)) return falla();
    return true;
}

// Puts one original set aside back in place of the half-installed copy that took its place.
bool devuelve(const std::string& original, const std::string& aqui, std::string& error) {
    std::string e;
    bool libre = true;
    std::error_code ec;
    if (archivos::existeCarpeta(aqui) || std::filesystem::is_symlink(std::filesystem::symlink_status(files::resolvePath(aqui), ec)))
        libre = archivos::borraCarpeta(aqui, e);
    else if (archivos::existeArchivo(aqui) && !files::deleteFile(files::resolvePath(aqui))) {
        libre = false;
        e = "No se pudo borrar " + aqui;
    }
    if (!libre || !archivos::renombra(original, aqui, e)) {
        error += (error.empty() ? "" : "; ") + e;
        return false;
    }
    return true;
}

}  // namespace

std::string CarpetaModelo(const std::string& modelo) {
    if (modelo == "Fenzo Kalmoro") return "Fenzo";
    if (modelo == "Selvarindo Voz") return "Selvarindo";
    return modelo;
}

std::string LibreriaParaSistema(const std::string& sistema) {
    return sistema == "Windows 95" ? "KWMD95.DLL" : "KWMD.DLL";
}

bool InstalaEquipo(const std::string& app, const std::string& modelo, const std::string& sistema,
                   std::string& error) {
    return InstalaEquipo(app, modelo, sistema, error, PruebaMovimiento());
}

bool InstalaEquipo(const std::string& appDado, const std::string& modelo, const std::string& sistema,
                   std::string& error, const PruebaMovimiento& prueba) {
    std::string app = appDado;
    while (!app.empty() && app.back() == '/') app.pop_back();
    error.clear();
    // The originals an interrupted run left aside go back before the kit is judged; only then
    // may a leftover be deleted.
    if (!RecuperaInstalacion(app, error)) {
        error = "No se pudo deshacer una instalación interrumpida: " + error + ". No se ha cambiado nada";
        return false;
    }
    if (!revisaKit(app, modelo, sistema, error)) {
        error += ". No se ha cambiado nada";
        return false;
    }

    // Inside the application folder, so every rename stays on one disk and nothing outside the
    // folder is ever created or deleted. A leftover of an interrupted installation goes first.
    const std::string temporal = app + "/" + kTemporal;
    const std::string nuevo = temporal + "/nuevo";
    const std::string anterior = temporal + "/anterior";
    if (!archivos::borraCarpeta(temporal, error)) {
        error += ". No se ha cambiado nada";
        return false;
    }
    bool restaurado = true;
    if (!archivos::creaCarpeta(temporal, error) || !archivos::creaCarpeta(nuevo, error) ||
        !archivos::creaCarpeta(anterior, error) || !preparaNuevo(app, nuevo, modelo, sistema, error, prueba) ||
        !intercambia(app, nuevo, anterior, error, restaurado, prueba)) {
        // Nothing of the kit was changed (or it was all put back): only the half-built copy goes.
        // What could not be put back stays where the message says.
        if (restaurado) {
            std::string e;
            archivos::borraCarpeta(temporal, e);
            error += ". La carpeta del programa queda como estaba";
        }
        return false;
    }
    // The commit: once `anterior` has another name, an interrupted run is finished, not undone.
    std::string e;
    const std::string descartado = temporal + "/descartado";
    if (prueba && !prueba(descartado)) e = "No se pudo mover " + anterior + " a " + descartado;
    if (!e.empty() || !archivos::renombra(anterior, descartado, e)) {
        // Not committed: the kit goes back whole rather than half of it staying aside.
        std::string e2;
        const bool vuelto = RecuperaInstalacion(app, e2);
        error = e + (vuelto ? ". La carpeta del programa queda como estaba"
                            : ". No se pudo dejar la carpeta como estaba: " + e2 + "; lo anterior está en " + anterior);
        return false;
    }
    // The kit's telephony set-up is a Windows program: the line layer here needs no set-up, so
    // nothing of it is copied or started.
    // The old kit; one that will not go now goes at the next start (RecuperaInstalacion).
    archivos::borraCarpeta(temporal, e);
    return true;
}

bool RecuperaInstalacion(const std::string& appDado, std::string& error) {
    std::string app = appDado;
    while (!app.empty() && app.back() == '/') app.pop_back();
    if (app.empty()) return true;
    const std::string temporal = app + "/" + kTemporal;
    const std::string anterior = temporal + "/anterior";
    if (!archivos::existeCarpeta(anterior)) {
        // No swap left open. A temporary folder still here is a committed run's discarded kit
        // (its delete failed or never came) or a copy half built before anything was swapped:
        // nothing in it is wanted. A link goes as a link. A delete that fails undoes nothing, so
        // it is no failure here; the next start tries again.
        std::string e;
        archivos::borraCarpeta(temporal, e);
        return true;
    }
    // Everything in `anterior` is an original of the kit; an entry of the same name in the
    // folder is the half-installed copy that took its place. The shared folder lies there under
    // the two folders that lead to it, which themselves were never moved.
    std::vector<std::string> nombres = archivos::carpetasDe(anterior);
    for (const std::string& f : archivos::archivosDe(anterior)) nombres.push_back(f);
    bool ok = true;
    for (const std::string& n : nombres) {
        if (!mismoNombre(n, kUtilerias)) {
            ok = devuelve(anterior + "/" + n, app + "/" + n, error) && ok;
            continue;
        }
        for (const std::string& g : archivos::carpetasDe(anterior + "/" + n))
            for (const std::string& e : archivos::carpetasDe(anterior + "/" + n + "/" + g)) {
                std::string e2;
                const bool camino = archivos::creaCarpeta(app + "/" + n, e2) && archivos::creaCarpeta(app + "/" + n + "/" + g, e2);
                if (!camino) error += (error.empty() ? "" : "; ") + e2;
                ok = camino && devuelve(anterior + "/" + n + "/" + g + "/" + e, app + "/" + n + "/" + g + "/" + e, error) && ok;
            }
    }
    if (ok && archivos::existeArchivo(temporal + "/" + kSinLibreria) && !archivos::existeArchivo(anterior + "/" + kLibreria) &&
        archivos::existeArchivo(app + "/" + kLibreria) && !files::deleteFile(files::resolvePath(app + "/" + kLibreria))) {
        ok = false;
        error += (error.empty() ? "" : "; ") + std::string("No se pudo borrar ") + app + "/" + kLibreria;
    }
    if (!ok) return false;  // what is left stays in `anterior` for the next try
    std::string e;
    archivos::borraCarpeta(temporal, e);
    return true;
}

}  // namespace zylma::admin

// Where each record file lives under the application folder.
#include "zylma/records/records.h"

namespace zylma::records {
namespace {

// The folder names were typed without accents; the model names carry them ("Téndro").
std::string withoutAccents(const std::string& s) {
    static const struct {
        const char* from;
        char to;
    } kMap[] = {
        {"á", 'a'}, {"é", 'e'}, {"í", 'i'}, {"ó", 'o'}, {"ú", 'u'}, {"ü", 'u'}, {"ñ", 'n'},
        {"Á", 'A'}, {"É", 'E'}, {"Í", 'I'}, {"Ó", 'O'}, {"Ú", 'U'}, {"Ü", 'U'}, {"Ñ", 'N'},
    };
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool mapped = false;
        for (const auto& m : kMap) {
            const std::string from = m.from;
            if (s.compare(i, from.size(), from) == 0) {
                out += m.to;
                i += from.size();
                mapped = true;
                break;
            }
        }
        if (!mapped)
            out += s[i++];
    }
    return out;
}

}  // namespace

std::string configFolder(const std::string& modelName) {
    const std::string folder = withoutAccents(modelName);
    return folder == "Tresmolina" ? std::string("Tresmolinas") : folder;
}

std::string pathConfiguracion(const std::string& app, const std::string& modelName, const std::string& version) {
    const std::string folder = configFolder(modelName);
    return app + "/" + folder + "/Configuracion/" + folder + version + ".Wcon";
}

std::string sharedFolder(const std::string& app) { return app + "/Utilerias/Generales/Equipos"; }
std::string pathSoftware(const std::string& app) { return sharedFolder(app) + "/Software.WCon"; }
std::string pathUltEnvio(const std::string& app) { return sharedFolder(app) + "/UltEnvio.WCon"; }
std::string pathComandos(const std::string& app) { return sharedFolder(app) + "/Comandos.WCon"; }
std::string pathEquipo(const std::string& app) { return sharedFolder(app) + "/Equipo.WGe"; }
std::string pathUsuarios(const std::string& app) { return sharedFolder(app) + "/Usuarios.WCon"; }
std::string pathCredenciales(const std::string& app) { return app + "/qaltro6.dll"; }

}  // namespace zylma::records

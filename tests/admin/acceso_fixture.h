// A program at its login, on the test host, over a fresh application folder.
#pragma once

#include "fixture.h"
#include "zylma/admin/acceso.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace zylma::testing {

inline std::string bytesDe(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file of a folder and its bytes: the login must leave it exactly as it was.
inline std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file()) out[e.path().string()] = bytesDe(e.path().string());
    return out;
}

// One field as it lies on disk: a 16-bit little-endian count and the bytes.
inline std::string campo(const std::string& bytes) {
    std::string s;
    s += static_cast<char>(bytes.size() & 0xFF);
    s += static_cast<char>(bytes.size() >> 8);
    return s + bytes;
}

// Writes qaltro6.dll byte by byte (texts already in Windows-1252), so the tests pin the file as
// the set-up writes it, whatever our own writer does.
inline void escribeCredenciales(const std::string& app, const std::string& contenido) {
    std::ofstream out(records::pathCredenciales(app), std::ios::binary | std::ios::trunc);
    out << contenido;
}
inline std::string registroCredenciales(const std::string& nombre, const std::string& clave) {
    std::string r = campo(nombre) + campo(clave);
    r.resize(1000, '\0');
    return r;
}

struct Acceso {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;

    // The program up to its login window (its load has run).
    void arranca(const std::string& clase = "Gardomelinta", const std::string& app = "") {
        folder.writeSoftware(AppFolder::softwareRecord(clase));
        h = std::make_unique<ProgramHarness>(app.empty() ? folder.path() : app);
        // One model whose panel shows the restriction area, as every model's load does.
        app::ModeloEquipo m;
        m.nombre = "Sonobrisa";
        m.panel = "ZylFraSon";
        m.codigo = "04";
        m.cargaConf = [](app::Programa& p) {
            app::PreparaPaneles(p);
            app::MuestraRestricciones(p);
            p.pri().panel("ZylFraSon")->setVisible(true);
        };
        h->programa->modelos().agrega(m);
        admin::MuestraLogin(*h->programa);
    }
    app::Programa& p() { return *h->programa; }
    admin::ZylFrmLogin& login() { return p().ventana<admin::ZylFrmLogin>(); }
    admin::ZylFrmSelPort* puerto() { return p().ventanaSiExiste<admin::ZylFrmSelPort>(); }
    void teclea(const std::string& usuario, const std::string& clave) {
        login().txtUserName->userType(usuario);
        login().txtPassword->userType(clave);
        login().cmdOK->userClick();
    }
    // Windows up at this moment, by name.
    std::vector<std::string> visibles() {
        std::vector<std::string> v;
        if (p().ventanaSiExiste<admin::ZylFrmLogin>() && login().visible()) v.push_back("ZylFrmLogin");
        if (puerto() && puerto()->visible()) v.push_back("ZylFrmSelPort");
        if (p().priExiste() && p().pri().visible()) v.push_back("ZylForPri");
        if (p().monitorExiste() && p().monitor().visible()) v.push_back("ZylForMonitor");
        return v;
    }
};

}  // namespace zylma::testing

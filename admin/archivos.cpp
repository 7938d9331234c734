#include "zylma/admin/archivos.h"

#include "zylma/files/files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace zylma::admin::archivos {

namespace fs = std::filesystem;

namespace {

char pliega(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool coincideDesde(const std::string& p, size_t i, const std::string& n, size_t j) {
    // Iterative match with one backtrack point per "*": linear enough for file names.
    size_t estrella = std::string::npos, marca = 0;
    while (j < n.size()) {
        if (i < p.size() && p[i] == '*') {
            estrella = i++;
            marca = j;
        } else if (i < p.size() && (p[i] == '?' || pliega(p[i]) == pliega(n[j]))) {
            ++i;
            ++j;
        } else if (estrella != std::string::npos) {
            i = estrella + 1;
            j = ++marca;
        } else {
            return false;
        }
    }
    while (i < p.size() && p[i] == '*') ++i;
    return i == p.size();
}

std::string textoDe(const std::error_code& ec) { return ec.message(); }

fs::file_status estadoSinSeguir(const std::string& ruta) {
    std::error_code ec;
    return fs::symlink_status(files::resolvePath(ruta), ec);
}

}  // namespace

bool coincide(const std::string& patron, const std::string& nombre) {
    if (patron == "*.*") return true;
    return coincideDesde(patron, 0, nombre, 0);
}

bool existeCarpeta(const std::string& ruta) { return fs::is_directory(estadoSinSeguir(ruta)); }
bool existeArchivo(const std::string& ruta) { return fs::is_regular_file(estadoSinSeguir(ruta)); }

std::vector<std::string> archivosDe(const std::string& carpeta, const std::string& patron) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(files::resolvePath(carpeta), ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nombre = it->path().filename().string();
        std::error_code e2;
        if (it->symlink_status(e2).type() == fs::file_type::regular && coincide(patron, nombre)) out.push_back(nombre);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> carpetasDe(const std::string& carpeta) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(files::resolvePath(carpeta), ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code e2, e3;
        const auto tipo = it->symlink_status(e2).type();
        // A link to a folder counts as one, so it goes with the folders; it is moved and removed
        // as a link, never followed.
        if (tipo == fs::file_type::directory || (tipo == fs::file_type::symlink && it->is_directory(e3)))
            out.push_back(it->path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool creaCarpeta(const std::string& ruta, std::string& error) {
    const std::string real = files::resolvePath(ruta);
    if (existeCarpeta(real)) return true;
    std::error_code ec;
    if (!fs::create_directory(real, ec) || ec) {
        error = "No se pudo crear la carpeta " + ruta + (ec ? " (" + textoDe(ec) + ")" : "");
        return false;
    }
    return true;
}

bool borraCarpeta(const std::string& ruta, std::string& error) {
    const std::string real = files::resolvePath(ruta);
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(real, ec);
    if (ec || !fs::exists(st)) return true;
    if (fs::is_symlink(st)) {
        // The link goes; what it points at is someone else's.
        if (!fs::remove(real, ec)) {
            error = "No se pudo borrar " + ruta + " (" + textoDe(ec) + ")";
            return false;
        }
        return true;
    }
    if (!fs::is_directory(st)) {
        error = ruta + " no es una carpeta";
        return false;
    }
    fs::remove_all(real, ec);
    if (ec) {
        error = "No se pudo borrar la carpeta " + ruta + " (" + textoDe(ec) + ")";
        return false;
    }
    return true;
}

bool copiaCarpeta(const std::string& origen, const std::string& destino, std::string& error) {
    const std::string src = files::resolvePath(origen);
    if (!existeCarpeta(src)) {
        error = "No existe la carpeta " + origen;
        return false;
    }
    if (!existeCarpeta(destino)) {
        error = "No existe la carpeta " + destino;
        return false;
    }
    const fs::path dst = fs::path(files::resolvePath(destino)) / fs::path(src).filename();
    std::error_code ec;
    fs::create_directories(dst, ec);
    if (!ec)
        fs::copy(src, dst, fs::copy_options::recursive | fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        error = "No se pudo copiar la carpeta " + origen + " (" + textoDe(ec) + ")";
        return false;
    }
    return true;
}

bool copiaArchivos(const std::string& carpeta, const std::string& patron, const std::string& destino,
                   std::string& error, int* copiados) {
    if (copiados) *copiados = 0;
    const std::string src = files::resolvePath(carpeta);
    const std::string dst = files::resolvePath(destino);
    if (!existeCarpeta(src) || !existeCarpeta(dst)) {
        error = "No existe la carpeta " + (existeCarpeta(src) ? destino : carpeta);
        return false;
    }
    for (const std::string& nombre : archivosDe(src, patron)) {
        std::error_code ec;
        fs::copy_file(fs::path(src) / nombre, fs::path(dst) / nombre, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "No se pudo copiar " + carpeta + "/" + nombre + " (" + textoDe(ec) + ")";
            return false;
        }
        if (copiados) ++*copiados;
    }
    return true;
}

bool renombra(const std::string& origen, const std::string& destino, std::string& error) {
    std::error_code ec;
    // The target as named: a look-up without regard to case could land on another entry.
    fs::rename(files::resolvePath(origen), destino, ec);
    if (ec) {
        error = "No se pudo mover " + origen + " a " + destino + " (" + textoDe(ec) + ")";
        return false;
    }
    return true;
}

}  // namespace zylma::admin::archivos

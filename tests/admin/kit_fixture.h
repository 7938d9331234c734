// A copy of the build tree's installation kit in a temporary folder: the installer and the
// set-up wizard work on it, never on the kit itself.
#pragma once

#include "fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace zylma::testing {

inline const std::string kKitTree = std::string(ZYLMA_BINARY_DIR) + "/kit-tree";

inline std::string leeBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void escribeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Everything under a folder by relative path: "d" for a folder, "l:" and the target for a
// link, "f:" and the size and a digest of the bytes for a file. Two equal states are the same folder.
inline std::map<std::string, std::string> estado(const std::string& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        // Lexically: a link must be named where it lies, not where it points.
        const std::string rel = it->path().lexically_relative(folder).string();
        if (it->is_symlink())
            out[rel] = "l:" + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            out[rel] = "d";
        else
        {
            // Size and digest only: a failure must not print a whole library.
            const std::string b = leeBytes(it->path().string());
            out[rel] = "f:" + std::to_string(b.size()) + ":" + std::to_string(std::hash<std::string>{}(b));
        }
    }
    return out;
}

// <temporary folder>/App holds the kit, with the program and a credentials file beside it, as a
// kit is delivered.
struct CopiaKit {
    AppFolder temporal;
    std::string app;

    CopiaKit() {
        namespace fs = std::filesystem;
        app = temporal.path() + "/App";
        if (!fs::exists(kKitTree + "/Utilerias/Generales/Equipos/KWMD.DLL"))
            ADD_FAILURE() << "the kit tree " << kKitTree << " has no dialler builds: build the app-folder target";
        fs::copy(kKitTree, app, fs::copy_options::recursive);
        escribeBytes(app + "/Principal", "programa");
        escribeBytes(app + "/qaltro6.dll", "credenciales");
    }
    std::string compartida() const { return app + "/Utilerias/Generales/Equipos"; }
    std::string kit(const std::string& name) const { return kKitTree + "/Utilerias/Generales/Equipos/" + name; }
};

}  // namespace zylma::testing

#include "zylma/dialler/qrx_binding.h"

#include "zylma/files/files.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>

#include <map>

namespace zylma::dialler {
namespace {

constexpr const char* kLibraryName = "QRXdll.dll";
using QrxFunction = std::int32_t (*)(std::int32_t, const char*);

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The exact name first; then, as the installer may have written it, any case of it.
std::string findLibrary(const std::string& folder) {
    std::string exact = folder + "/" + kLibraryName;
    if (isFile(exact)) return exact;
    std::string found;
    if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            if (::strcasecmp(e->d_name, kLibraryName) == 0 && isFile(folder + "/" + e->d_name)) {
                found = folder + "/" + e->d_name;
                break;
            }
        }
        ::closedir(dir);
    }
    return found;
}

struct Loaded {
    void* handle = nullptr;
    QrxFunction qrx = nullptr;
};

// Loaded once per file and never unloaded: the older build's callbacks may still be queued.
std::map<std::string, Loaded>& loaded() {
    static std::map<std::string, Loaded> m;
    return m;
}

}  // namespace

QrxResult callQRX(const std::string& appFolder, const std::string& utf8Text) {
    QrxResult out;
    std::string path = findLibrary(appFolder);
    if (path.empty()) {
        out.error = "No se encontró la biblioteca del módem \"" + appFolder + "/" + kLibraryName +
                    "\". Instale de nuevo el programa.";
        return out;
    }
    Loaded& lib = loaded()[path];
    if (lib.handle == nullptr) {
        lib.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (lib.handle == nullptr) {
            const char* why = ::dlerror();
            out.error = "No se pudo cargar la biblioteca del módem \"" + path + "\"" +
                        (why != nullptr ? std::string(": ") + why : std::string()) + ".";
            loaded().erase(path);
            return out;
        }
    }
    if (lib.qrx == nullptr) lib.qrx = reinterpret_cast<QrxFunction>(::dlsym(lib.handle, "QRX"));
    if (lib.qrx == nullptr) {
        out.error = "La biblioteca del módem \"" + path + "\" no tiene la función QRX.";
        return out;
    }
    std::string ansi = files::utf8ToCp1252(utf8Text);
    out.called = true;
    out.result = lib.qrx(0, ansi.c_str());
    return out;
}

}  // namespace zylma::dialler

// Path mapping and existence tests. The program was written for a file system that ignores
// letter case, and its own code spells the same file ".Wcon" in one place and ".WCon" in another;
// on Linux we look for the exact name first and fall back to a case-blind match per component.
#include "zylma/files/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace zylma::files {
namespace {

// Folds ASCII letters and the Latin-1 capitals (UTF-8 C3 80..C3 9E, except the multiplication
// sign C3 97) to lower case; enough for the names this program uses ("Configuración", "Téndro").
std::string foldCase(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 'A' && b <= 'Z') {
            out += static_cast<char>(b + ('a' - 'A'));
        } else if (b == 0xC3 && i + 1 < s.size()) {
            const auto b2 = static_cast<unsigned char>(s[i + 1]);
            out += static_cast<char>(b);
            out += static_cast<char>((b2 >= 0x80 && b2 <= 0x9E && b2 != 0x97) ? b2 + 0x20 : b2);
            ++i;
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

bool exists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// The entry of `folder` whose name matches `name` without regard to case; of several, the one
// that sorts first, so the answer does not depend on the order the directory lists them.
bool findFolded(const std::string& folder, const std::string& name, std::string& found) {
    DIR* d = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!d)
        return false;
    const std::string want = foldCase(name);
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry == "." || entry == "..")
            continue;
        if (foldCase(entry) == want && (!any || entry < found)) {
            found = entry;
            any = true;
        }
    }
    ::closedir(d);
    return any;
}

}  // namespace

std::string appFolder() {
    std::string folder;
    if (const char* env = std::getenv("ZYLMA_APP"); env && *env) {
        folder = env;
    } else {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n > 0) {
            folder.assign(buf, static_cast<size_t>(n));
            const auto slash = folder.rfind('/');
            folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
        } else {
            folder = ".";
        }
    }
    // "/" alone becomes "", so that app + "/Utilerias" still names the right place.
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string resolvePath(const std::string& path) {
    if (path.empty() || exists(path))
        return path;

    // Walk the components; once one cannot be found at all, the rest is kept as given, so a
    // writer creates the file under the program's spelling inside the folders that do exist.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }

    std::string built;
    bool lost = false;
    for (size_t k = 0; k < parts.size(); ++k) {
        const std::string& part = parts[k];
        if (k > 0)
            built += '/';
        if (lost || part.empty() || part == "." || part == "..") {
            built += part;
            continue;
        }
        const std::string folder = k == 0 ? std::string(".") : built.substr(0, built.size() - 1);
        const std::string exact = built + part;
        if (exists(exact)) {
            built = exact;
            continue;
        }
        std::string found;
        if (findFolded(k == 0 ? "." : (folder.empty() ? "/" : folder), part, found)) {
            built += found;
        } else {
            built += part;
            lost = true;
        }
    }
    return built;
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool deleteFile(const std::string& path) {
    const std::string real = resolvePath(path);
    struct stat st;
    if (::lstat(real.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    if (S_ISDIR(st.st_mode))
        return false;
    return ::unlink(real.c_str()) == 0 || errno == ENOENT;
}

}  // namespace zylma::files

#include "zylma/telephony/modem_device.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zylma::telephony::modem_device {
namespace {

// The folders the serial programs of a Linux machine look in, in their order.
const char* const kLockFolders[] = {"/var/lock",        "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
                                    "/tmp",             "/var/tmp",   "/var/lock/lockdev", "/run/lock"};

bool writableFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string lockFolder() {
    if (const char* env = std::getenv("ZYLMA_LOCK_DIR"); env != nullptr && *env != '\0') return env;
    for (const char* f : kLockFolders)
        if (writableFolder(f)) return f;
    return {};
}

std::string lockName(const std::string& device) {
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    for (char& c : name)
        if (c == '/') c = '_';
    return "LCK.." + name;
}

// The process ID on the lock's first line (the old fixed-width text form and Qt's
// "pid, program, host" lines alike); 0 when there is none.
long holderOf(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW);
    if (fd < 0) return 0;
    char buf[64] = {};
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return 0;
    char* end = nullptr;
    long pid = std::strtol(buf, &end, 10);
    return pid > 0 ? pid : 0;
}

bool alive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

}  // namespace

std::string lockPath(const std::string& device) {
    std::string folder = lockFolder();
    return folder.empty() ? std::string() : folder + "/" + lockName(device);
}

bool takeLock(const std::string& device, std::string& held, std::string& why) {
    held.clear();
    const std::string path = lockPath(device);
    if (path.empty()) return true;  // nowhere to write a lock: nobody else can have one either
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            char host[256] = {};
            ::gethostname(host, sizeof host - 1);
            const std::string text = std::to_string(::getpid()) + "\nzylma\n" + host + "\n";
            bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            ::close(fd);
            if (!ok) {
                ::unlink(path.c_str());
                why = "no se pudo escribir el bloqueo " + path;
                return false;
            }
            held = path;
            return true;
        }
        if (errno != EEXIST) {
            why = "no se pudo crear el bloqueo " + path + ": " + std::strerror(errno);
            return false;
        }
        const long pid = holderOf(path);
        if (pid != 0 && alive(pid)) {
            why = pid == static_cast<long>(::getpid())
                      ? "en uso por este mismo programa (" + path + ")"
                      : "en uso por el proceso " + std::to_string(pid) + " (" + path + ")";
            return false;
        }
        // The holder is gone (or never wrote its number): the lock is stale.
        ::unlink(path.c_str());
    }
    why = "el bloqueo " + path + " no se deja quitar";
    return false;
}

void releaseLock(const std::string& held) {
    if (held.empty()) return;
    // Only our own: another process may have taken it over after a stale-lock clean-up.
    if (holderOf(held) == static_cast<long>(::getpid())) ::unlink(held.c_str());
}

std::string openFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return "no existe (el modem no esta conectado o ZYLMA_MODEM nombra otro dispositivo)";
    case EACCES:
    case EPERM: return "sin permiso para abrirlo (el usuario debe pertenecer al grupo dialout)";
    case EBUSY: return "en uso por otro programa";
    default: return std::string("no se pudo abrir: ") + std::strerror(error);
    }
}

}  // namespace zylma::telephony::modem_device

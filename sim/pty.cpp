#include "zylma/sim/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zylma::sim {

uint32_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

std::unique_ptr<PtyDevice> PtyDevice::open(std::string& error) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return nullptr;
    }
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("grantpt/unlockpt: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    char name[256];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string(name) + ": " + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    // Raw from the start: an echoing line would hand the device its own acknowledgements.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return std::unique_ptr<PtyDevice>(new PtyDevice(master, slave, name));
}

PtyDevice::PtyDevice(int master, int slave, std::string path)
    : master_(master), slave_(slave), path_(std::move(path)) {}

PtyDevice::~PtyDevice() {
    ::close(slave_);
    ::close(master_);
}

bool PtyDevice::send(const std::string& bytes, Restrictor& device) {
    std::size_t off = 0;
    int waits = 0;
    while (off < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + off, bytes.size() - off);
        if (n > 0) {
            off += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && waits++ < 10) {
            // Nobody is reading the line; give it a moment, then drop the rest rather than
            // stop answering.
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (device.onLog) {
            device.onLog("line full: " + std::to_string(bytes.size() - off) + " characters dropped");
        }
        return false;
    }
    return true;
}

int PtyDevice::serve(Restrictor& device, int watchFd, const volatile std::sig_atomic_t& stop) {
    while (!stop) {
        uint32_t now = monotonicMs();
        int timeout = 200;  // also how soon a stop request is seen
        if (auto next = device.nextEventMs()) {
            int32_t wait = static_cast<int32_t>(*next - now);
            timeout = wait < 0 ? 0 : (wait < timeout ? wait : timeout);
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {watchFd, POLLIN, 0}};
        int n = ::poll(fds, watchFd >= 0 ? 2 : 1, timeout);
        if (n < 0 && errno != EINTR) return 1;
        now = monotonicMs();
        if (n > 0 && (fds[0].revents & POLLIN)) {
            char buf[512];
            ssize_t got = ::read(master_, buf, sizeof buf);
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                // Should not happen while our own slave end is open; never spin on it.
                ::poll(nullptr, 0, 50);
            }
            for (ssize_t i = 0; i < got; ++i) {
                // A new frame from an idle line: whatever the program left unread belongs to
                // an earlier exchange (or an earlier run) and would only confuse this one.
                if (buf[i] == 'D' && !device.inFrame()) ::tcflush(slave_, TCIFLUSH);
                device.receive(buf[i], now);
            }
        }
        if (n > 0 && (fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) {
            ::poll(nullptr, 0, 50);
        }
        if (n > 0 && watchFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[256];
            ssize_t got = ::read(watchFd, buf, sizeof buf);
            if (got <= 0) return 0;  // the parent closed our stdin
        }
        std::string out = device.takeOutput(monotonicMs());
        if (!out.empty()) send(out, device);
    }
    return 0;
}

}  // namespace zylma::sim

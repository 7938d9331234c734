#include "zylma/forms/host.h"
#include "zylma/serial/line_errors.h"
#include "zylma/serial/serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zylma::serial {

std::string devicePathForPort(int n) {
    std::string var = "ZYLMA_COM" + std::to_string(n);
    if (const char* v = std::getenv(var.c_str()); v && *v) return v;
    return "/dev/ttyS" + std::to_string(n - 1);
}

namespace {

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(forms::Host& host) : host_(host) {}
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& device, std::string& error) override {
        close();
        int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = "el puerto está ocupado por otro programa";
            ::close(fd);
            return false;
        }
        termios tio{};
        if (::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::cfsetispeed(&tio, B9600);
            ::cfsetospeed(&tio, B9600);
            tio.c_cflag |= CLOCAL | CREAD;
            tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
            tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS8;
            tio.c_iflag &= ~(IXON | IXOFF | IXANY);
            // VMIN 1 with O_NONBLOCK: an empty line reads as EAGAIN, so a read of 0 bytes
            // really is the far end going away.
            tio.c_cc[VMIN] = 1;
            tio.c_cc[VTIME] = 0;
            ::tcsetattr(fd, TCSANOW, &tio);
        }
        fd_ = fd;
        device_ = device;
        errores_.reset(fd_);
        watch_ = host_.watchFd(fd_, [this] { readable(); });
        return true;
    }

    void close() override {
        if (fd_ < 0) return;
        host_.unwatchFd(watch_);
        ::close(fd_);
        fd_ = -1;
        pendiente_.clear();
        perdido_ = false;
    }

    bool isOpen() const override { return fd_ >= 0; }
    std::string device() const override { return device_; }

    bool write(const std::string& bytes) override {
        if (fd_ < 0) return false;
        std::size_t off = 0;
        bool lleno = false;
        while (off < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + off, bytes.size() - off);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) {
                // A full output buffer is said once, then waited out; a line that takes
                // nothing for a second takes no more of this write.
                if (!lleno) report(SerialEvent::TxFull);
                lleno = true;
                pollfd pfd{fd_, POLLOUT, 0};
                if (::poll(&pfd, 1, 1000) <= 0) return false;
                continue;
            }
            if (n <= 0) return false;
            off += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    void readable() {
        char buf[512];
        for (;;) {
            if (fd_ < 0) return;
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                errores_.check(fd_, [this](SerialEvent e) { report(e); });
                pendiente_.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                // The far end went away (an adapter unplugged, a pty whose other side closed):
                // nothing more will come. Stop watching rather than spin on the hang-up; what
                // came before it is still handed out, then the port closes and says so once.
                host_.unwatchFd(watch_);
                watch_ = -1;
                perdido_ = true;
            }
            break;
        }
        // A receive handler may wait (a message box) and let this run again inside it: the
        // inner call only queues, and the outer one hands everything out in arrival order.
        if (entregando_) return;
        entregando_ = true;
        while (siguiente_ < pendiente_.size() && fd_ >= 0) {
            const char c = pendiente_[siguiente_++];
            deliver(&c, 1);
        }
        pendiente_.clear();
        siguiente_ = 0;
        entregando_ = false;
        if (perdido_ && fd_ >= 0) {
            perdido_ = false;
            close();
            report(SerialEvent::Gone);
        }
    }

    forms::Host& host_;
    LineErrorCounters errores_;
    std::string pendiente_;
    std::size_t siguiente_ = 0;
    bool entregando_ = false;
    bool perdido_ = false;
    int fd_ = -1;
    int watch_ = -1;
    std::string device_;
};

}  // namespace

std::unique_ptr<SerialPort> makePosixSerialPort(forms::Host& host) {
    return std::make_unique<PosixSerialPort>(host);
}

}  // namespace zylma::serial

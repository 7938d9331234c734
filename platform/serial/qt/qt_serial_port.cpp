#include "zylma/serial/qt_serial_port.h"
#include "zylma/serial/line_errors.h"

#include <QSerialPort>
#include <QTimer>

#include <sys/file.h>
#include <unistd.h>

namespace zylma::serial {

namespace {

class QtSerialPort final : public SerialPort {
public:
    QtSerialPort() {
        QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { readable(); });
        // Qt never signals readyRead again while a readyRead handler runs, so a message box
        // opened from onChar would hold back everything that arrives while it is up. While a
        // delivery is running this fetches what Qt has buffered meanwhile.
        nested_.setInterval(5);
        QObject::connect(&nested_, &QTimer::timeout, &port_, [this] { readable(); });
        QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                         [this](QSerialPort::SerialPortError e) { failed(e); });
    }
    ~QtSerialPort() override { close(); }

    bool open(const std::string& device, std::string& error) override {
        close();
        const QByteArray path = QByteArray::fromStdString(device);
        opening_ = true;
        port_.setPortName(QString::fromUtf8(path));
        bool ok = port_.open(QIODevice::ReadWrite);
        opening_ = false;
        if (!ok) {
            error = openError(device);
            port_.clearError();
            return false;
        }
        // The same lock the plain termios port takes, so the two never share a device.
        if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
            port_.close();
            error = "el puerto " + device + " está ocupado por otro programa";
            return false;
        }
        if (!port_.setBaudRate(QSerialPort::Baud9600) || !port_.setDataBits(QSerialPort::Data8) ||
            !port_.setParity(QSerialPort::NoParity) || !port_.setStopBits(QSerialPort::OneStop) ||
            !port_.setFlowControl(QSerialPort::NoFlowControl)) {
            port_.close();
            port_.clearError();
            error = "no se pudo poner el puerto " + device + " a 9600 8N1";
            return false;
        }
        device_ = device;
        errores_.reset(static_cast<int>(port_.handle()));
        return true;
    }

    void close() override {
        if (!port_.isOpen()) return;
        port_.close();
        port_.clearError();
        pending_.clear();
        next_ = 0;
    }

    bool isOpen() const override { return port_.isOpen(); }
    std::string device() const override { return device_; }

    bool write(const std::string& bytes) override {
        if (!port_.isOpen()) return false;
        qint64 n = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (n != static_cast<qint64>(bytes.size())) return false;
        // Out now, not at the next turn of the event loop: the caller may be about to wait.
        port_.flush();
        return port_.isOpen();
    }

private:
    std::string openError(const std::string& device) const {
        switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError: return "no existe el dispositivo " + device;
        case QSerialPort::PermissionError:
            // Qt says "permission" both for a device we may not use and for one another
            // program holds.
            if (::access(device.c_str(), R_OK | W_OK) != 0) return "permiso denegado para " + device;
            return "el puerto " + device + " está ocupado por otro programa";
        case QSerialPort::OpenError: return "el puerto " + device + " ya está abierto";
        default:
            return "no se pudo abrir el puerto " + device + ": " + port_.errorString().toStdString();
        }
    }

    void readable() {
        // Qt 6 no longer tells framing, parity or break errors; the driver's counters do.
        errores_.check(static_cast<int>(port_.handle()), [this](SerialEvent e) { report(e); });
        if (!port_.isOpen()) return;
        // Everything received waits in one queue, so a delivery nested inside a handler goes on
        // from where the outer one was: characters always come out in the order they arrived.
        const QByteArray data = port_.readAll();
        pending_.append(data.constData(), static_cast<std::size_t>(data.size()));
        if (++depth_ == 1) nested_.start();
        while (next_ < pending_.size() && port_.isOpen()) {
            const char c = pending_[next_++];
            deliver(&c, 1);
        }
        if (--depth_ == 0) {
            nested_.stop();
            pending_.clear();
            next_ = 0;
        }
    }

    void failed(QSerialPort::SerialPortError e) {
        if (opening_) return;  // open() says why in its own words
        switch (e) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError: return;
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
            // The device went away (a pty's far end hung up reads as a failed read): nothing more
            // will come, and Qt would report the failure again on every turn of the loop: the
            // port closes before it says so.
            close();
            report(SerialEvent::Gone);
            return;
        default: report(SerialEvent::Other); return;
        }
    }

    QSerialPort port_;
    QTimer nested_;
    std::string pending_;
    std::size_t next_ = 0;
    int depth_ = 0;
    LineErrorCounters errores_;
    std::string device_;
    bool opening_ = false;
};

}  // namespace

std::unique_ptr<SerialPort> makeQtSerialPort() { return std::make_unique<QtSerialPort>(); }

}  // namespace zylma::serial

// The serial port as the link sees it: open a device at 9600 8N1 without flow control, write
// characters, and get one receive event per character, in order, never merged or lost.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zylma::forms { class Host; }

namespace zylma::serial {

// What the line reports besides data. Gone: the device went away (an adapter unplugged, the
// far end of a pty closed); the port has closed itself before it says so.
enum class SerialEvent { Break, Framing, Overrun, RxOverflow, Parity, TxFull, Gone, Other };

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the device; on failure returns false and says why in `error` (in the user's words).
    virtual bool open(const std::string& device, std::string& error) = 0;
    // Closing a port that is not open does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends the bytes as they are; false when the port is not open or the write failed.
    virtual bool write(const std::string& bytes) = 0;
    virtual std::string device() const = 0;

    // One call per received character.
    std::function<void(char)> onChar;
    std::function<void(SerialEvent)> onEvent;

protected:
    // Splits what arrived in one burst into one event per character.
    void deliver(const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!isOpen()) return;  // a handler may close the port
            if (onChar) onChar(data[i]);
        }
    }
    void report(SerialEvent e) {
        if (onEvent) onEvent(e);
    }
};

// Device path of serial port n (1 to 5): $ZYLMA_COM<n> when set, else /dev/ttyS<n-1>.
std::string devicePathForPort(int n);

// termios on a file descriptor watched by the host (the test host polls it for real).
std::unique_ptr<SerialPort> makePosixSerialPort(forms::Host& host);

}  // namespace zylma::serial

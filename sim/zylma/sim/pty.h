// The simulator's end of a pseudo-terminal: the program opens the slave path as its serial port.
#pragma once

#include <csignal>
#include <memory>
#include <string>

#include "zylma/sim/restrictor.h"

namespace zylma::sim {

class PtyDevice {
public:
    // Opens a raw pty; the slave stays open here as well, so a program that closes and reopens
    // the port finds the line as it left it (no hang-up, no EIO on the master).
    static std::unique_ptr<PtyDevice> open(std::string& error);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    const std::string& slavePath() const { return path_; }

    // Serves the restrictor in real time until `stop` becomes non-zero or `watchFd` (when not
    // -1) reaches its end. Returns 0, or 1 when the pty failed.
    int serve(Restrictor& device, int watchFd, const volatile std::sig_atomic_t& stop);

private:
    PtyDevice(int master, int slave, std::string path);
    bool send(const std::string& bytes, Restrictor& device);

    int master_;
    int slave_;
    std::string path_;
};

// Milliseconds of a monotonic clock, wrapping at 2^32 as the restrictor expects.
uint32_t monotonicMs();

}  // namespace zylma::sim

// A simulated restrictor on the far end of a real pseudo-terminal, served in real time on a
// thread of its own, and a program on the test host whose port opens that pty.
#pragma once

#include "fixture.h"
#include "zylma/sim/pty.h"
#include "zylma/sim/restrictor.h"

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

namespace zylma::testing {

class SimLine {
public:
    explicit SimLine(const sim::Options& options);
    ~SimLine();
    const std::string& path() const { return pty_->slavePath(); }
    // The device may only be looked at while it is stopped.
    void stop();
    void start();
    sim::Restrictor& device() { return *device_; }

private:
    std::unique_ptr<sim::PtyDevice> pty_;
    std::unique_ptr<sim::Restrictor> device_;
    volatile std::sig_atomic_t stop_ = 0;
    std::thread thread_;
};

// A program whose port 1 is the simulator's pty, on the test host with the real termios port.
struct LiveProgram {
    forms::TestHost host;
    std::unique_ptr<app::Programa> programa;
    LiveProgram(const std::string& appFolder, const std::string& device);
    ~LiveProgram();
    // Pumps real I/O until the condition holds (at most `ms` of real time).
    bool waitFor(const std::function<bool()>& cond, int ms = 3000) { return host.waitFor(cond, ms); }
};

}  // namespace zylma::testing

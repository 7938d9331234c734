// zylma-sim as a child process, for end-to-end tests: starts it, reads the pty path from its
// first line, and ends it (by closing its stdin) when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zylma::sim {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the program with the given options (--model 00 ...). False, with the reason, when
    // it does not start or prints no path within `timeoutMs`.
    bool start(const std::vector<std::string>& args, std::string& error, int timeoutMs = 10000);
    // The pty slave to open as the serial port (set ZYLMA_COM<n> to it).
    const std::string& path() const { return path_; }
    bool running() const { return pid_ > 0; }
    // Closes its stdin and waits for it to end (kills it after two seconds). Returns its exit
    // status as waitpid gives it, or -1 when it was not running.
    int stop();

    // Where the build put zylma-sim.
    static std::string program();

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string path_;
};

}  // namespace zylma::sim

#include "zylma/sim/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace zylma::sim {

std::string SimProcess::program() { return ZYLMA_SIM_PROGRAM; }

bool SimProcess::start(const std::vector<std::string>& args, std::string& error, int timeoutMs) {
    stop();
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    std::string path = program();
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    argv.push_back(path.data());
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) {
        error = std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        return false;
    }
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::execv(path.c_str(), argv.data());
        _exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    pid_ = pid;
    stdin_ = in[1];
    stdout_ = out[0];

    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
        pollfd p{stdout_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char buf[256];
        ssize_t n = ::read(stdout_, buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    std::size_t nl = line.find('\n');
    if (nl == std::string::npos) {
        error = "zylma-sim printed no pty path (" + path + " " + std::to_string(args.size()) +
                " options)";
        stop();
        return false;
    }
    path_ = line.substr(0, nl);
    return true;
}

int SimProcess::stop() {
    if (pid_ <= 0) return -1;
    ::close(stdin_);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 40 && (done = ::waitpid(pid_, &status, WNOHANG)) == 0; ++i) ::usleep(50000);
    if (done == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    ::close(stdout_);
    pid_ = -1;
    stdin_ = stdout_ = -1;
    path_.clear();
    return status;
}

}  // namespace zylma::sim

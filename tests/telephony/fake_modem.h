// A Hayes modem on the far side of a pseudo-terminal: answers each command line (ended by CR)
// with the lines the test gave for it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zylma::testing {

class FakeModem {
public:
    using Answer = std::function<std::vector<std::string>(const std::string& command)>;

    explicit FakeModem(Answer answer) : answer_(std::move(answer)) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        path_ = ::ptsname(master_);
        // Held open so that the provider's closing and reopening never hangs the line up.
        keep_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        if (keep_ >= 0 && ::tcgetattr(keep_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(keep_, TCSANOW, &t);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~FakeModem() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (keep_ >= 0) ::close(keep_);
        if (master_ >= 0) ::close(master_);
    }
    const std::string& path() const { return path_; }
    std::vector<std::string> commands() {
        std::lock_guard<std::mutex> lock(mutex_);
        return commands_;
    }

private:
    void run() {
        std::string partial;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            char buf[256];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                ::usleep(10000);
                continue;
            }
            partial.append(buf, static_cast<std::size_t>(n));
            std::size_t cr;
            while ((cr = partial.find('\r')) != std::string::npos) {
                std::string command = partial.substr(0, cr);
                partial.erase(0, cr + 1);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    commands_.push_back(command);
                }
                for (const auto& line : answer_(command)) {
                    std::string out = "\r\n" + line + "\r\n";
                    if (::write(master_, out.data(), out.size()) < 0) break;
                }
            }
        }
    }

    Answer answer_;
    int master_ = -1;
    int keep_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> commands_;
};

}  // namespace zylma::testing

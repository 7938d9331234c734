// A Hayes modem on the far side of a pseudo-terminal, as strict as a real one where the
// dialler can go wrong: it echoes what it is sent until told E0, dials at the pace of its
// registers (S11 ms of tone and as much of gap a key, S8 s a ","), lets any character abort
// a dial or the wait for carrier that follows, reports BUSY and NO DIALTONE only when X4 (or
// X3/X2) asked for them, and gives up with NO CARRIER after S7 s without carrier. Its clock
// runs `scale` times faster than real time so that a 30 s dial takes a test about a second.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zylma::testing {

struct FakeModemSetup {
    // What the far end does once the last key is out: after `afterMs` of modem time the
    // modem says `result` ("BUSY", "NO CARRIER", "CONNECT 9600" ...); "" is a silent line
    // (NO CARRIER at S7). "BUSY" needs X3 or X4, "NO DIALTONE" X2 or X4, as on a real modem:
    // without them it hears neither tone and waits for carrier.
    std::string result;
    unsigned afterMs = 1000;
    bool refuseDial = false;  // ERROR to the dial command itself
    bool answersRegisters = true;
    unsigned s6 = 2, s7 = 50, s8 = 2, s11 = 95;
    unsigned dialToneMs = 500;  // hears dial tone this long after going off hook
    double scale = 25;          // modem milliseconds per real millisecond
    // Modem time after the dial command at which the device goes away (0: never).
    unsigned vanishAfterMs = 0;
};

class FakeModem {
public:
    explicit FakeModem(FakeModemSetup setup = {}) : setup_(std::move(setup)) {
        regs_[6] = setup_.s6;
        regs_[7] = setup_.s7;
        regs_[8] = setup_.s8;
        regs_[11] = setup_.s11;
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
        closeLine();
    }
    const std::string& path() const { return path_; }
    // Every command line, as received.
    std::vector<std::string> commands() {
        std::lock_guard<std::mutex> lock(mutex_);
        return commands_;
    }
    // The keys and pauses that went out on the telephone line, per dial command.
    std::vector<std::string> dials() {
        std::lock_guard<std::mutex> lock(mutex_);
        return dials_;
    }
    // The dials a character cut short, with what had gone out by then.
    std::vector<std::string> aborted() {
        std::lock_guard<std::mutex> lock(mutex_);
        return aborted_;
    }

private:
    using Clock = std::chrono::steady_clock;

    void closeLine() {
        if (keep_ >= 0) ::close(keep_);
        if (master_ >= 0) ::close(master_);
        keep_ = master_ = -1;
    }
    void send(const std::string& text) {
        if (master_ >= 0 && ::write(master_, text.data(), text.size()) < 0) return;
    }
    void result(const std::string& line) { send("\r\n" + line + "\r\n"); }
    long long realMs(double modemMs) const { return static_cast<long long>(modemMs / setup_.scale); }

    // Waits `modemMs` of modem time; false when a character came first (it is eaten, as a
    // real modem eats the key that aborts it) or the line went away.
    bool wait(double modemMs) {
        auto until = Clock::now() + std::chrono::milliseconds(realMs(modemMs));
        while (!stop_ && master_ >= 0) {
            if (vanishDue()) return false;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0) return true;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min<long long>(left, 5))) > 0 && (p.revents & POLLIN)) {
                char c;
                if (::read(master_, &c, 1) == 1) return false;
            }
        }
        return false;
    }
    bool vanishDue() {
        if (setup_.vanishAfterMs == 0 || !dialling_) return false;
        if (Clock::now() < dialStarted_ + std::chrono::milliseconds(realMs(setup_.vanishAfterMs))) return false;
        closeLine();  // unplugged: the other side of the pty sees the line hang up
        return true;
    }

    void dial(const std::string& number) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            dials_.push_back("");
        }
        dialling_ = true;
        dialStarted_ = Clock::now();
        auto out = [this](char c) {
            std::lock_guard<std::mutex> lock(mutex_);
            dials_.back() += c;
        };
        auto abort = [this] {
            std::lock_guard<std::mutex> lock(mutex_);
            aborted_.push_back(dials_.back());
        };
        const int x = regs_[-1];
        bool ok = wait(setup_.dialToneMs);
        if (ok && setup_.result == "NO DIALTONE" && (x == 2 || x == 4)) {
            dialling_ = false;
            return result("NO DIALTONE");
        }
        for (std::size_t i = 0; ok && i < number.size(); ++i) {
            char c = number[i];
            if (c == ',') ok = wait(regs_[8] * 1000.0);
            else if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#') ok = wait(2.0 * regs_[11]);
            else if (c == 'T' || c == 'P' || c == 'W' || c == ';') continue;
            if (ok) out(c);
        }
        if (ok) {
            // The wait for the far end: its answer if the modem can hear it, else NO CARRIER at S7.
            std::string r = setup_.result;
            bool hears = !r.empty() && !(r == "BUSY" && x < 3) && r != "NO DIALTONE";
            if (hears && wait(setup_.afterMs)) {
                dialling_ = false;
                return result(r);
            }
            if (!hears && wait(regs_[7] * 1000.0)) {
                dialling_ = false;
                return result("NO CARRIER");
            }
        }
        dialling_ = false;
        if (master_ < 0) return;
        abort();
        result("NO CARRIER");
    }

    void command(const std::string& line) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            commands_.push_back(line);
        }
        std::string up;
        for (char c : line) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (up.rfind("AT", 0) != 0) return result("ERROR");
        std::vector<std::string> lines;
        for (std::size_t i = 2; i < up.size();) {
            char c = up[i++];
            auto number = [&] {
                int v = 0;
                while (i < up.size() && std::isdigit(static_cast<unsigned char>(up[i]))) v = v * 10 + (up[i++] - '0');
                return v;
            };
            if (c == ' ') continue;
            if (c == 'D') {
                std::string number = line.substr(i);
                for (const auto& l : lines) result(l);
                if (setup_.refuseDial) return result("ERROR");
                return dial(number);
            }
            if (c == 'E') echo_ = number() != 0;
            else if (c == 'X') regs_[-1] = number();
            else if (c == 'Q' || c == 'V' || c == 'H' || c == 'Z' || c == '&') number();
            else if (c == 'I') {
                number();
                lines.push_back("Fake Hayes 33600");
            } else if (c == 'S') {
                int r = number();
                if (i < up.size() && up[i] == '?') {
                    ++i;
                    if (!setup_.answersRegisters) return result("ERROR");
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "%03d", regs_[r]);
                    lines.push_back(buf);
                } else if (i < up.size() && up[i] == '=') {
                    ++i;
                    regs_[r] = number();
                }
            } else {
                return result("ERROR");
            }
        }
        for (const auto& l : lines) result(l);
        result("OK");
    }

    void run() {
        std::string partial;
        while (!stop_ && master_ >= 0) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN)) continue;
            char buf[256];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                ::usleep(5000);
                continue;
            }
            for (ssize_t k = 0; k < n; ++k) {
                char c = buf[k];
                if (echo_) send(std::string(1, c));
                if (c == '\r') {
                    std::string line;
                    line.swap(partial);
                    if (!line.empty()) command(line);
                } else if (c != '\n') {
                    partial += c;
                }
            }
        }
    }

    FakeModemSetup setup_;
    std::map<int, int> regs_{{-1, 0}};  // -1 holds the X setting (X0 until told)
    bool echo_ = true;
    std::atomic<bool> dialling_{false};
    Clock::time_point dialStarted_{};
    int master_ = -1;
    int keep_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> dials_;
    std::vector<std::string> aborted_;
};

}  // namespace zylma::testing

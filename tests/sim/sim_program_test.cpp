// The real zylma-sim program on a real pseudo-terminal, driven as the program's serial link
// drives a device.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"
#include "zylma/sim/sim_process.h"

namespace {

using namespace std::chrono;

class SimProgram : public ::testing::Test {
protected:
    void start(std::vector<std::string> args) {
        std::string error;
        ASSERT_TRUE(sim_.start(args, error)) << error;
        path_ = sim_.path();
    }

    void TearDown() override {
        if (!sim_.running()) return;
        int status = sim_.stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "zylma-sim did not end by itself when its stdin closed";
    }

    int openPort() {
        int fd = open(path_.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) return fd;
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
        return fd;
    }

    // Characters that arrive within `ms`, stopping early once `want` have come.
    static std::string receive(int fd, int ms, std::size_t want) {
        std::string r;
        auto end = steady_clock::now() + milliseconds(ms);
        while (r.size() < want && steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char buf[512];
                ssize_t n = read(fd, buf, sizeof buf);
                if (n <= 0) break;
                r.append(buf, static_cast<std::size_t>(n));
            }
        }
        return r;
    }

    // The link's sender: one character per "T", the "P" straight after the "1".
    static bool sendFrame(int fd, const std::string& command) {
        std::string framed = "D" + command + "1";
        for (std::size_t i = 0; i < framed.size(); ++i) {
            if (write(fd, &framed[i], 1) != 1) return false;
            if (i + 1 == framed.size()) return write(fd, "P", 1) == 1;
            if (receive(fd, 2000, 1) != "T") return false;
        }
        return true;
    }

    zylma::sim::SimProcess sim_;
    std::string path_;
};

TEST_F(SimProgram, AnswersAFramedReadOnItsPty) {
    start({"--model", "0:", "--version", "24"});
    const std::string lectura = zylma::sim::ComandosKit().lectura + "f";

    // Twice, closing the port in between, as the program does from one run to the next.
    for (int round = 0; round < 2; ++round) {
        int fd = openPort();
        ASSERT_GE(fd, 0) << path_;
        ASSERT_TRUE(sendFrame(fd, lectura)) << "round " << round;
        std::string answer = receive(fd, 3000, 270);
        EXPECT_EQ(answer.size(), 270u) << "round " << round;
        EXPECT_EQ(answer.substr(0, 6), "02450:");
        std::string mapa = zylma::codec::MapaDesdeRecepcion(answer);
        EXPECT_TRUE(zylma::codec::SumasCorrectas(mapa, *zylma::codec::BuscaModelo("0:")));
        EXPECT_EQ(zylma::codec::VersionDesdeMapa(mapa), "24");
        EXPECT_EQ(receive(fd, 100, 1), "");  // nothing after the image: no "T" for "1" or "P"
        close(fd);
    }
}

// The image and log options as an end-to-end test uses them: the answer is the given image,
// and the log says what the device received.
TEST_F(SimProgram, AnswersWithTheGivenImageAndLogsTheFrames) {
    std::string dir = ::testing::TempDir();
    std::string stem = dir + "/zylma_sim_" + std::to_string(getpid());
    std::string imagen = stem + ".hex", log = stem + ".log";
    std::remove(log.c_str());
    std::string mapa = zylma::codec::ArmaTramaEnvio(
        1, {"00", "1E", "09", "0001"}, "12346630106E");
    {
        std::ofstream f(imagen);
        std::string lower = mapa;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        f << lower.substr(0, 60) << "\n" << lower.substr(60) << "\n";
    }
    start({"--image", imagen, "--log", log});
    int fd = openPort();
    ASSERT_GE(fd, 0);
    const std::string lectura = zylma::sim::ComandosKit().lectura + "f";
    ASSERT_TRUE(sendFrame(fd, lectura));
    EXPECT_EQ(receive(fd, 3000, 138), zylma::codec::RecepcionDesdeMapa(mapa));
    close(fd);

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("frame: \"" + lectura + "\""), std::string::npos) << text.str();
    std::remove(imagen.c_str());
    std::remove(log.c_str());
}

TEST_F(SimProgram, RefusesBadOptionsWithAMessage) {
    struct { std::vector<std::string> args; } casos[] = {
        {{"--model", "07"}}, {{"--fault", "loud"}}, {{"--image", "/nonexistent/image.hex"}},
        {{"--version", "x"}}, {{"--version", "256"}}, {{"--bogus"}},
    };
    for (auto& c : casos) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            std::vector<char*> argv;
            std::string path = zylma::sim::SimProcess::program();
            argv.push_back(path.data());
            for (auto& a : c.args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << c.args[0];
        EXPECT_EQ(WEXITSTATUS(status), 2) << c.args[0];
    }
}

}  // namespace

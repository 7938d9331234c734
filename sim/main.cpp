// zylma-sim: a restrictor on a pseudo-terminal. The first line of its output is the path the
// program opens as its serial port (ZYLMA_COM<n>); it then serves until it is killed, its
// parent goes away or its standard input (a pipe or a terminal) is closed.
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "zylma/codec/conversores.h"
#include "zylma/sim/pty.h"
#include "zylma/sim/restrictor.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void onSignal(int) { gStop = 1; }

const char kUsage[] =
    "usage: zylma-sim [--model CODE] [--version N] [--image FILE] [--strict]\n"
    "                 [--fault checksum|short|long|silence|noise] [--fault-times N] [--log FILE]\n"
    "  CODE  model code as the device sends it: 00 02 03 04 05 06 08 0: (0A is taken for 0:)\n"
    "  N     firmware version in decimal (default: one the kit has a record for, 12 for\n"
    "        the Sonobrisa, 15 the Quintavo, 72 the Selvarindo, 30 the others)\n"
    "  --image FILE  the device's image in map form: hex text without the leading 0245,\n"
    "                of the model's length (blanks and line ends ignored)\n"
    "  --strict      accepted for older scripts: a data part of the wrong length or\n"
    "                with a character its layout does not allow is refused in every mode\n"
    "  --fault-times how many answers the fault spoils (default: all)\n"
    "  --log FILE    append one line per event: frame: \"TEXT\", unframed read, read answered,\n"
    "                data part stored / refused: REASON, and the other commands by name\n";

int fail(const std::string& message) {
    std::cerr << "zylma-sim: " << message << "\n";
    return 2;
}

bool wholeNumber(const std::string& s, long long& v) {
    v = zylma::codec::ValorDecimal(s, -1);
    return v >= 0 && v <= 1000000;
}

}  // namespace

int main(int argc, char** argv) {
    zylma::sim::Options options;
    std::string imageFile, logFile;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--model" && value(v)) {
            options.model = v == "0A" ? "0:" : v;
        } else if (a == "--version" && value(v)) {
            if (!wholeNumber(v, n) || n > 255) return fail("--version wants a number from 0 to 255");
            options.version = static_cast<int>(n);
        } else if (a == "--image" && value(v)) {
            imageFile = v;
        } else if (a == "--strict") {
            options.strict = true;
        } else if (a == "--fault" && value(v)) {
            auto f = zylma::sim::faultFromName(v);
            if (!f) return fail("unknown fault \"" + v + "\"\n" + kUsage);
            options.fault = *f;
        } else if (a == "--fault-times" && value(v)) {
            if (!wholeNumber(v, n)) return fail("--fault-times wants a whole number");
            options.faultTimes = static_cast<int>(n);
        } else if (a == "--log" && value(v)) {
            logFile = v;
        } else {
            return fail("unexpected argument \"" + a + "\"\n" + kUsage);
        }
    }

    std::string error;
    auto device = zylma::sim::Restrictor::create(options, error);
    if (!device) return fail(error);

    if (!imageFile.empty()) {
        std::ifstream in(imageFile);
        if (!in) return fail("cannot read " + imageFile + ": " + std::strerror(errno));
        std::stringstream ss;
        ss << in.rdbuf();
        std::string mapa;
        for (char c : ss.str()) {
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            mapa += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        if (!device->setImage(mapa, error)) return fail(imageFile + ": " + error);
    }

    std::ofstream log;
    if (!logFile.empty()) {
        log.open(logFile, std::ios::app);
        if (!log) return fail("cannot write " + logFile + ": " + std::strerror(errno));
        device->onLog = [&log](const std::string& line) { log << line << std::endl; };
    }

    auto pty = zylma::sim::PtyDevice::open(error);
    if (!pty) return fail(error);

    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << pty->slavePath() << std::endl;  // first line, flushed: the caller waits on it

    // Only a pipe or a terminal on stdin tells us when our caller is done; /dev/null or a file
    // would end the run at once, and a terminal we are in the background of would stop us.
    int watch = -1;
    struct stat st{};
    if (::fstat(STDIN_FILENO, &st) == 0) {
        bool foregroundTty = ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
        if (S_ISFIFO(st.st_mode) || foregroundTty) watch = STDIN_FILENO;
    }
    if (getppid() == 1) return 0;  // the parent is already gone
    return pty->serve(*device, watch, gStop);
}

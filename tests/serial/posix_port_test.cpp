// The termios port on a real pseudo-terminal, with the test host polling it.
#include "zylma/forms/test_host.h"
#include "zylma/serial/serial_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zylma;

namespace {

struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        slave = ::ptsname(master);
    }
    ~Pty() { ::close(master); }
    void send(const std::string& s) const { ASSERT_EQ(::write(master, s.data(), s.size()), (ssize_t)s.size()); }
};

// A handler that waits (a message box) lets the line run under it: what arrives then must not
// overtake the rest of the burst the handler came from.
TEST(PosixPort, CharactersKeepTheirOrderWhenAHandlerWaits) {
    Pty pty;
    forms::TestHost host;
    auto port = serial::makePosixSerialPort(host);
    std::string error;
    ASSERT_TRUE(port->open(pty.slave, error)) << error;
    std::string seen;
    port->onChar = [&](char c) {
        seen += c;
        if (c == 'A') host.msgBox("espera", forms::vbOKOnly, "ZYLMA");
    };
    host.whileMessage = [&](const forms::TestHost::Message&) {
        pty.send("XYZ");
        host.pump(100);
        return 0;
    };
    pty.send("ABC");
    host.waitFor([&] { return seen.size() >= 6; }, 2000);
    EXPECT_EQ(seen, "ABCXYZ");
}

TEST(PosixPort, DevicePathOfEachPort) {
    ::unsetenv("ZYLMA_COM3");
    EXPECT_EQ(serial::devicePathForPort(3), "/dev/ttyS2");
    ::setenv("ZYLMA_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(serial::devicePathForPort(3), "/dev/ttyUSB0");
    ::unsetenv("ZYLMA_COM3");
}

TEST(PosixPort, AMissingDeviceSaysWhyAndClosingItDoesNothing) {
    forms::TestHost host;
    auto port = serial::makePosixSerialPort(host);
    std::string error;
    EXPECT_FALSE(port->open("/dev/zylma-no-such-device", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(port->isOpen());
    port->close();
    EXPECT_FALSE(port->write("D"));
}

}  // namespace

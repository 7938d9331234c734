// The Qt serial port against a pseudo-terminal, with data coming through a Qt event loop.
#include "qt_test_app.h"
#include "zylma/serial/qt_serial_port.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace zylma::serial;

namespace {

// The far end of a line: the pty's master side, as a device would sit on the cable.
class FarEnd {
public:
    FarEnd() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) path_ = ::ptsname(master_);
    }
    ~FarEnd() { hangUp(); }
    const std::string& path() const { return path_; }
    void send(const std::string& s) { ASSERT_EQ(::write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    std::string receive(int ms = 2000) {
        std::string got;
        pollfd p{master_, POLLIN, 0};
        while (::poll(&p, 1, got.empty() ? ms : 50) > 0) {
            char buf[256];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    void hangUp() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

class QtSerialTest : public ::testing::Test {
protected:
    QApplication& a = zylma::qt::testing::app();
    FarEnd far;
    std::unique_ptr<SerialPort> port = makeQtSerialPort();
    std::string error;
};

TEST_F(QtSerialTest, BurstArrivesOneCharacterPerEventAndWritesGoOut) {
    ASSERT_FALSE(far.path().empty());
    ASSERT_TRUE(port->open(far.path(), error)) << error;
    EXPECT_EQ(port->device(), far.path());
    std::vector<char> got;
    port->onChar = [&](char c) { got.push_back(c); };
    far.send("0T:5\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() >= 5; }, 3000));
    EXPECT_EQ(got, (std::vector<char>{'0', 'T', ':', '5', '\xFF'}));

    ASSERT_TRUE(port->write("D"));
    ASSERT_TRUE(port->write(std::string("12\0P", 4)));
    EXPECT_EQ(far.receive(), std::string("D12\0P", 5));
}

TEST_F(QtSerialTest, CharactersKeepComingInOrderWhileAHandlerWaits) {
    ASSERT_TRUE(port->open(far.path(), error)) << error;
    std::string got;
    std::string seenInsideWait;
    bool waited = false;
    port->onChar = [&](char c) {
        got += c;
        if (c == 'A' && !waited) {
            waited = true;
            // What a message box does: a nested loop while the far end goes on sending.
            far.send("D");
            QEventLoop loop;
            QTimer::singleShot(300, &loop, &QEventLoop::quit);
            loop.exec();
            seenInsideWait = got;
        }
    };
    far.send("ABC");
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() >= 4; }, 3000)) << got;
    EXPECT_EQ(got, "ABCD");
    EXPECT_EQ(seenInsideWait, "ABCD");  // delivered while the handler was still waiting
}

TEST_F(QtSerialTest, HandlerThatClosesThePortGetsNoMoreCharacters) {
    ASSERT_TRUE(port->open(far.path(), error)) << error;
    std::string got;
    port->onChar = [&](char c) {
        got += c;
        if (c == 'P') port->close();
    };
    far.send("ABPCD");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty() && !port->isOpen(); }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(got, "ABP");
    EXPECT_FALSE(port->write("x"));
    port->close();  // closing again does nothing
    EXPECT_FALSE(port->isOpen());
}

TEST_F(QtSerialTest, OpenFailuresSayWhyInSpanish) {
    EXPECT_FALSE(port->open("/dev/zylma-no-existe", error));
    EXPECT_NE(error.find("no existe el dispositivo"), std::string::npos) << error;
    EXPECT_FALSE(port->isOpen());

    ASSERT_TRUE(port->open(far.path(), error)) << error;
    auto other = makeQtSerialPort();
    std::string why;
    EXPECT_FALSE(other->open(far.path(), why));
    EXPECT_NE(why.find("ocupado"), std::string::npos) << why;
    // The first one is untouched by the refused second.
    std::string got;
    port->onChar = [&](char c) { got += c; };
    far.send("T");
    EXPECT_TRUE(QTest::qWaitFor([&] { return got == "T"; }, 3000));
}

TEST_F(QtSerialTest, LostDeviceIsReportedAndThePortCloses) {
    ASSERT_TRUE(port->open(far.path(), error)) << error;
    std::vector<SerialEvent> events;
    port->onEvent = [&](SerialEvent e) { events.push_back(e); };
    far.hangUp();
    (void)QTest::qWaitFor([&] { return !events.empty(); }, 2000);
    if (events.empty()) GTEST_SKIP() << "this kernel reports no error on a hung-up pty";
    QTest::qWait(100);
    // Once, not once per turn of the event loop.
    EXPECT_EQ(events, std::vector<SerialEvent>{SerialEvent::Gone});
    EXPECT_FALSE(port->isOpen());
}

}  // namespace

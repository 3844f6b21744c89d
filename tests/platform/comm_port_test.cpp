// tests/platform/comm_port_test.cpp: the native comm ports over real pseudo-terminals: reads and
// writes that end at their timeouts, how opens end. (Settings, data and the modem lines are the
// port test's, in tests/portcheck.)
#include <fcntl.h>
#include <termios.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "gtest/gtest.h"
#include "platform/comm_port.h"

namespace {

// A pseudo-terminal: the test holds the master and one descriptor of the slave, which keeps
// the terminal and its settings alive between opens.
class CommPtyTest : public testing::Test {
  protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(0, grantpt(master));
        ASSERT_EQ(0, unlockpt(master));
        name = ptsname(master);
        slave = open(name.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);
    }
    void TearDown() override {
        CommClose(&port);
        close(slave);
        close(master);
    }
    void OpenAndRead() {
        unsigned long error = 1;
        ASSERT_EQ(kCommOpened, CommOpen(name.c_str(), &port, &error));
        ASSERT_EQ(0u, error);
        ASSERT_EQ(0, CommReadSettings(&port, &settings));
    }
    int master = -1, slave = -1;
    std::string name;
    CommPort port = {};
    CommSettings settings = {};
};

TEST_F(CommPtyTest, ReadsAndWritesEndAtTheirTimeouts) {
    OpenAndRead();
    ASSERT_EQ(0, CommPrepare(&port, 9600, 100, 100));
    char in[8];
    size_t done = 1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, CommRead(&port, in, sizeof in, &done));
    EXPECT_EQ(0u, done);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));

    // The master never reads: the terminal's buffers fill, and the write still returns.
    static char lots[1 << 20];
    EXPECT_EQ(0, CommWrite(&port, lots, sizeof lots, &done));
    EXPECT_LT(done, sizeof lots);
}

// A terminal takes the standard speeds, and a speed it does not know is refused as Windows
// refuses one, by the code the data check turns into a line of its own.
TEST_F(CommPtyTest, SaysItsFastestSpeedAndRefusesAnUnknownOne) {
    OpenAndRead();
    unsigned long fastest = 0;
    EXPECT_EQ(0, CommReadFastestSpeed(&port, &fastest));
    EXPECT_GE(fastest, 115200u);
    EXPECT_EQ(kCommSpeedRefused, CommPrepare(&port, 12345, 100, 100));
    EXPECT_EQ(0, CommPrepare(&port, 115200, 100, 100));
}

TEST_F(CommPtyTest, OpensEndBusyAbsentOrOpenButNoSerialPort) {
    OpenAndRead();
    CommPort second = {};
    unsigned long error = 0;
    EXPECT_EQ(kCommBusy, CommOpen(name.c_str(), &second, &error)) << "a held port";
    EXPECT_NE(0u, error);
    EXPECT_EQ(kCommAbsent, CommOpen("/nonexistent/ttyS99", &second, &error));
    CommClose(&port);
    EXPECT_EQ(kCommOpened, CommOpen(name.c_str(), &second, &error)) << "free again once closed";
    CommClose(&second);

    char file[] = "/tmp/korvalin-comm-XXXXXX";
    int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(kCommOpened, CommOpen(file, &second, &error));
    EXPECT_NE(0, CommReadSettings(&second, &settings));
    CommClose(&second);
    unlink(file);
}

// A prepare at the port's own settings keeps its speed and framing but no handshake, which
// would stop the test driving RTS; one at a test's speed is 8N1; the restore gives all back.
TEST_F(CommPtyTest, PrepareTurnsHandshakesOffAndRestoreBringsThemBack) {
    termios own;
    ASSERT_EQ(0, tcgetattr(slave, &own));
    // A pseudo-terminal keeps stop bits but always reads 8 data bits, no parity.
    own.c_cflag |= CSTOPB | CRTSCTS;
    own.c_iflag |= IXON | IXOFF;
    cfsetspeed(&own, B2400);
    ASSERT_EQ(0, tcsetattr(slave, TCSANOW, &own));
    OpenAndRead();
    EXPECT_EQ(settings.flow, kFlowRtsCts | kFlowXonXoff);
    struct Step {
        unsigned long baud;
        speed_t speed;
        tcflag_t stopBits, handshake;
        tcflag_t software;
    };
    const Step steps[] = {{0, B2400, CSTOPB, 0, 0}, {9600, B9600, 0, 0, 0}};
    termios now;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.baud);
        ASSERT_EQ(0, CommPrepare(&port, step.baud, 100, 100));
        ASSERT_EQ(0, tcgetattr(slave, &now));
        EXPECT_EQ(cfgetospeed(&now), step.speed);
        EXPECT_EQ(now.c_cflag & CSTOPB, step.stopBits);
        EXPECT_EQ(now.c_cflag & CRTSCTS, step.handshake);
        EXPECT_EQ(now.c_iflag & (IXON | IXOFF), step.software);
    }
    ASSERT_EQ(0, CommRestore(&port));
    ASSERT_EQ(0, tcgetattr(slave, &now));
    EXPECT_EQ(cfgetospeed(&now), B2400);
    EXPECT_EQ(now.c_cflag & (CSTOPB | CRTSCTS), CSTOPB | CRTSCTS);
    EXPECT_EQ(now.c_iflag & (IXON | IXOFF), IXON | IXOFF);
}

// Only Windows 95, 98 and ME, and only when the \\.\ form found nothing, try the plain name: a
// busy or refused port is not opened a second way, and NT never is.
TEST(CommOpenRule, PlainNameIsTriedOnlyOnWindows9xWhenNothingWasFound) {
    const unsigned long kWindows95 = 0xC3B60004, kWindows98 = 0xC0000A04, kNt4 = 0x05650004;
    struct Case {
        unsigned long version, error;
        int plain;
    };
    const Case cases[] = {
        {kWindows95, 2, 1}, {kWindows95, 3, 1},  {kWindows98, 2, 1},
        {kWindows95, 5, 0}, {kWindows95, 32, 0}, {kWindows95, 123, 0},
        {kWindows95, 1, 0}, {kNt4, 2, 0},        {kNt4, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << c.version << " error " << std::dec << c.error);
        EXPECT_EQ(CommOpenTriesPlainName(c.version, c.error), c.plain);
    }
}

}  // namespace

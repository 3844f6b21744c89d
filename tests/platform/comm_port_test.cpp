// tests/platform/comm_port_test.cpp: the native comm ports over real pseudo-terminals (settings
// read and put back, raw data both ways, reads and writes that end at their timeouts, modem
// calls that fail, how opens end) and the scripted port's wires and failures.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "gtest/gtest.h"
#include "platform/comm_port.h"
#include "platform/host/comm_script.h"

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
    // What reaches the master within a second, up to `size` bytes.
    std::string FromMaster(size_t size) {
        std::string got;
        pollfd wait = {master, POLLIN, 0};
        char buffer[64];
        while (got.size() < size && poll(&wait, 1, 1000) == 1) {
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

    int master = -1, slave = -1;
    std::string name;
    CommPort port = {};
    CommSettings settings = {};
};

termios Attributes(int fd) {
    termios t = {};
    EXPECT_EQ(0, tcgetattr(fd, &t));
    return t;
}

TEST_F(CommPtyTest, ReportsTheLineSettingsAndPutsTheTerminalBackExactly) {
    termios t = Attributes(slave);
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    t.c_cflag |= CSTOPB | CRTSCTS;  // a pseudo-terminal keeps CS8 without parity whatever is set
    t.c_iflag &= ~(IXON | IXOFF);
    ASSERT_EQ(0, tcsetattr(slave, TCSANOW, &t));
    const termios before = Attributes(slave);

    OpenAndRead();
    EXPECT_EQ(19200u, settings.baudRate);
    EXPECT_EQ(8, settings.dataBits);
    EXPECT_EQ(kParityNone, settings.parity);
    EXPECT_EQ(kStopBitsTwo, settings.stopBits);
    EXPECT_EQ(kFlowRtsCts, settings.flow);

    ASSERT_EQ(0, CommPrepare(&port, 9600, 50, 50));
    termios prepared = Attributes(slave);
    EXPECT_EQ(speed_t{B9600}, cfgetospeed(&prepared));
    EXPECT_EQ(static_cast<tcflag_t>(CS8), prepared.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS));

    ASSERT_EQ(0, CommRestore(&port));
    termios after = Attributes(slave);
    EXPECT_EQ(before.c_iflag, after.c_iflag);
    EXPECT_EQ(before.c_oflag, after.c_oflag);
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    EXPECT_EQ(before.c_lflag, after.c_lflag);
    EXPECT_EQ(0, memcmp(before.c_cc, after.c_cc, sizeof before.c_cc));
    EXPECT_EQ(cfgetispeed(&before), cfgetispeed(&after));
}

TEST_F(CommPtyTest, CarriesRawBytesBothWaysAndAReadReturnsWhatCameWithinItsTimeout) {
    OpenAndRead();
    ASSERT_EQ(0, CommPrepare(&port, 115200, 100, 100));
    const char out[] = "a\nb\r\x11\x13\xff";  // no translation, no XON/XOFF, no echo
    size_t done = 0;
    ASSERT_EQ(0, CommWrite(&port, out, sizeof out - 1, &done));
    EXPECT_EQ(sizeof out - 1, done);
    EXPECT_EQ(std::string(out), FromMaster(sizeof out - 1));

    ASSERT_EQ(3, write(master, "xyz", 3));
    char in[16] = {};
    EXPECT_EQ(0, CommRead(&port, in, sizeof in, &done));
    EXPECT_EQ(3u, done) << "a short read ends at its timeout with what came";
    EXPECT_EQ(std::string("xyz"), std::string(in, done));
}

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

TEST_F(CommPtyTest, ModemLinesCannotBeReadOrSetOnAPseudoTerminal) {
    OpenAndRead();
    unsigned inputs = 0;
    EXPECT_NE(0, CommReadInputs(&port, &inputs));
    EXPECT_NE(0, CommSetOutput(&port, kOutputDtr, 1));
    EXPECT_NE(0, CommSetOutput(&port, kOutputRts, 0));
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

TEST(CommScriptTest, WiresFollowTheOutputsAndTheRestorePutsThemBack) {
    CommScript script = {};
    script.settings = {2400, 7, kParityEven, kStopBitsOne, kFlowXonXoff};
    script.cts = kWireRts;
    script.dsr = kWireDtr;
    script.dcd = kWireStuckOn;
    CommScriptUse("COM7", &script);
    CommPort port;
    unsigned long error = 0;
    CommSettings settings;
    unsigned inputs = 0;
    ASSERT_EQ(kCommOpened, CommOpen("com7", &port, &error));
    ASSERT_EQ(0, CommReadSettings(&port, &settings));
    ASSERT_EQ(0, CommPrepare(&port, 9600, 10, 10));
    EXPECT_EQ(9600u, script.current.baudRate);
    EXPECT_EQ(0, CommReadInputs(&port, &inputs));
    EXPECT_EQ(unsigned{kInputCts | kInputDsr | kInputDcd}, inputs);
    EXPECT_EQ(0, CommSetOutput(&port, kOutputRts, 0));
    EXPECT_EQ(0, CommReadInputs(&port, &inputs));
    EXPECT_EQ(unsigned{kInputDsr | kInputDcd}, inputs);
    EXPECT_EQ(0, CommRestore(&port));
    EXPECT_EQ(2400u, script.current.baudRate);
    EXPECT_EQ((1u << kOutputDtr) | (1u << kOutputRts), script.outputs);
    CommClose(&port);
    EXPECT_EQ(1, script.restored);
    EXPECT_EQ(1, script.closed);

    script.failAfter = 2;  // the port goes away after two operations
    ASSERT_EQ(kCommOpened, CommOpen("COM7", &port, &error));
    EXPECT_EQ(0, CommReadSettings(&port, &settings));
    EXPECT_EQ(0, CommPrepare(&port, 9600, 10, 10));
    EXPECT_NE(0, CommReadInputs(&port, &inputs));
    EXPECT_NE(0, CommRestore(&port));
    CommClose(&port);
    CommScriptUse(nullptr, nullptr);
}

}  // namespace

// tests/platform/comm_port_test.cpp: the native comm ports over real pseudo-terminals: reads and
// writes that end at their timeouts, how opens end. (Settings, data and the modem lines are the
// port test's, in tests/porttest.)
#include <fcntl.h>
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

}  // namespace

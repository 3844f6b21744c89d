// tests/portcheck/port_check_pty_test.cpp: the data check over real pseudo-terminals: socat's
// loopback as the plug, a peer that bends one byte, and no peer at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "portcheck/port_check.h"

namespace {

std::vector<std::string> RunTest(const char* device, int plug, int* result) {
    std::vector<std::string> lines;
    PortTestControl control = {[](void* context, const char* line) {
                                   static_cast<std::vector<std::string>*>(context)->push_back(line);
                               },
                               &lines, nullptr, nullptr};
    PortTestOptions options = {};
    options.plug = plug;
    options.runs = 1;
    *result = RunPortTest(device, options, control);
    return lines;
}

// A pseudo-terminal whose far end this test holds.
struct Pty {
    int master = -1;
    std::string device;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        device = ptsname(master);
    }
    ~Pty() { close(master); }
};

TEST(PortTestPty, SocatLoopbackPassesAtBothSpeedsAndTheSettingsComeBack) {
    char dir[] = "/tmp/korvalin-pty-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string link = std::string(dir) + "/loop";
    std::string address = "PTY,link=" + link + ",raw,echo=0";
    pid_t socat = fork();
    if (socat == 0) {
        execlp("socat", "socat", address.c_str(), "PIPE", (char*)nullptr);
        _exit(127);
    }
    struct stat st;
    for (int i = 0; i < 100 && stat(link.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(stat(link.c_str(), &st), 0) << "socat did not start (is it installed?)";

    // The settings a program left on the port, to be found there again afterwards.
    int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    termios before;
    tcgetattr(fd, &before);
    cfsetspeed(&before, B2400);
    tcsetattr(fd, TCSANOW, &before);
    tcgetattr(fd, &before);
    close(fd);

    int result;
    std::vector<std::string> lines = RunTest(link.c_str(), kPlugFull, &result);
    fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    termios after;
    tcgetattr(fd, &after);
    close(fd);
    kill(socat, SIGTERM);
    waitpid(socat, nullptr, 0);
    rmdir(dir);

    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines[0], "open: free");
    EXPECT_EQ(lines[1].rfind("settings: 2400 baud, 8", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "data 9600: pass (512 bytes)");
    EXPECT_EQ(lines[3], "data 115200: pass (512 bytes)");
    // A pseudo-terminal has no modem lines: never a pass there, and a check the plug asks for
    // that could not be made leaves the port not fully tested.
    EXPECT_EQ(lines[4], "CTS: could not be read: not fully tested");
    EXPECT_EQ(lines[7], "RI: could not be read");
    EXPECT_EQ(lines[8], "put back: done");
    EXPECT_EQ(lines[9], "counts: 1 run, 1024 bytes sent, 1024 back, 0 differed");
    EXPECT_EQ(lines[10], "counts: line errors none, 0 signal changes");
    EXPECT_EQ(result, kPortTestNotFullyTested);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
}

TEST(PortTestPty, APeerThatBendsOneByteIsFoundAtItsOffset) {
    Pty pty;
    std::atomic<bool> done{false};
    // Echoes everything, but the 300th byte of the stream (the first check's) comes back
    // with one bit changed.
    std::thread peer([&] {
        size_t offset = 0;
        while (!done) {
            pollfd p = {pty.master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            unsigned char buffer[256];
            ssize_t n = read(pty.master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i, ++offset)
                if (offset == 300)
                    buffer[i] ^= 0x10;
            if (n > 0)
                (void)!write(pty.master, buffer, static_cast<size_t>(n));
        }
    });
    int result;
    std::vector<std::string> lines = RunTest(pty.device.c_str(), kPlugData, &result);
    done = true;
    peer.join();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "data 9600: byte 300 differs");
    EXPECT_EQ(lines[3], "data 115200: pass (512 bytes)");
    EXPECT_EQ(result, kPortTestFailed);
}

TEST(PortTestPty, NoPeerMeansNoDataCameBackWithinSeconds) {
    Pty pty;  // nobody reads or answers at the far end
    auto start = std::chrono::steady_clock::now();
    int result;
    std::vector<std::string> lines = RunTest(pty.device.c_str(), kPlugRj45, &result);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "data 9600: no data came back");
    EXPECT_EQ(lines[3], "data 115200: no data came back");
    EXPECT_EQ(lines[4], "CTS: could not be read: not fully tested");
    EXPECT_EQ(lines[5], "DSR: could not be read: not fully tested");
    EXPECT_EQ(result, kPortTestFailed);
    EXPECT_LT(seconds, 5.0);  // every read has its timeout
}

}  // namespace

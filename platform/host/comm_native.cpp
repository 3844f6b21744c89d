// platform/host/comm_native.cpp: a serial port for a test over POSIX termios, or the scripted
// port a test put behind a name (native build).
//
// Results are 0 or the errno of the failed call. The descriptor stays non-blocking: every read
// and write waits in poll() for at most its timeout, as a Windows comm port's do, even when the
// other end of a pseudo-terminal never reads.
#include "platform/comm_port.h"
#include "platform/host/comm_script.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

namespace {

const struct {
    speed_t speed;
    unsigned long baud;
} kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

// The line's own bits that a prepare at the port's own settings keeps.
#ifdef CMSPAR
const tcflag_t kLineBits = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR;
#else
const tcflag_t kLineBits = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
#endif

long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// Moves `size` bytes through read() or write() on the non-blocking `fd`, waiting for `events`
// at most `timeoutMs` in all. A timeout ends it with 0 and what moved in *done.
int Transfer(int fd, char* bytes, size_t size, size_t* done, short events,
             unsigned long timeoutMs) {
    long long deadline = NowMs() + static_cast<long long>(timeoutMs);
    *done = 0;
    while (*done < size) {
        ssize_t moved = events == POLLIN ? read(fd, bytes + *done, size - *done)
                                         : write(fd, bytes + *done, size - *done);
        if (moved > 0) {
            *done += static_cast<size_t>(moved);
            continue;
        }
        if (moved == 0)
            break;  // the other end is gone: nothing more will come
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno;
        long long left = deadline - NowMs();
        if (left <= 0)
            break;
        pollfd wait = {fd, events, 0};
        int ready = poll(&wait, 1, left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left));
        if (ready < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

int Ioctl(int fd, unsigned long request, int* bits) {
    return ioctl(fd, request, bits) == 0 ? 0 : errno;
}

}  // namespace

int CommOpen(const char* name, CommPort* port, unsigned long* error) {
    memset(port, 0, sizeof *port);
    port->fd = -1;
    *error = 0;
    if ((port->script = CommScriptFor(name)) != nullptr) {
        int result = CommScriptOpen(port->script, error);
        if (result != kCommOpened)
            port->script = nullptr;
        else
            port->plainName = port->script->openPlain;
        return result;
    }
    // Non-blocking, so that the open does not wait for carrier.
    int fd = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *error = static_cast<unsigned long>(errno);
        switch (errno) {
            case EBUSY:
            case EACCES:
            case EPERM:
                return kCommBusy;
            case ENOENT:
            case ENXIO:
            case ENODEV:
            case ENOTDIR:
            case EISDIR:
            case ENAMETOOLONG:
                return kCommAbsent;
            default:
                return kCommOpenFailed;
        }
    }
    // TIOCEXCL refuses later opens by others, but not root's; the lock refuses every open of
    // ours, as Windows refuses a second open of a held port.
    ioctl(fd, TIOCEXCL);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = static_cast<unsigned long>(errno == EWOULDBLOCK ? EBUSY : errno);
        close(fd);
        return *error == EBUSY ? kCommBusy : kCommOpenFailed;
    }
    port->fd = fd;
    return kCommOpened;
}

int CommReadSettings(CommPort* port, CommSettings* settings) {
    if (port->script != nullptr) {
        int error = CommScriptReadSettings(port->script, settings);
        port->savedValid = error == 0;
        return error;
    }
    termios& t = port->saved;
    if (tcgetattr(port->fd, &t) != 0)
        return errno;  // no terminal: nothing that answers as a serial port
    port->savedModemValid = Ioctl(port->fd, TIOCMGET, &port->savedModemLines) == 0;
    port->savedValid = 1;
    settings->baudRate = 0;
    for (const auto& known : kSpeeds) {
        if (known.speed == cfgetospeed(&t))
            settings->baudRate = known.baud;
    }
    tcflag_t size = t.c_cflag & CSIZE;
    settings->dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    settings->parity = kParityNone;
    if (t.c_cflag & PARENB) {
        bool odd = (t.c_cflag & PARODD) != 0;
        settings->parity = odd ? kParityOdd : kParityEven;
#ifdef CMSPAR
        if (t.c_cflag & CMSPAR)
            settings->parity = odd ? kParityMark : kParitySpace;
#endif
    }
    settings->stopBits = (t.c_cflag & CSTOPB) ? kStopBitsTwo : kStopBitsOne;
    settings->flow = ((t.c_cflag & CRTSCTS) ? kFlowRtsCts : 0) |
                     ((t.c_iflag & (IXON | IXOFF)) ? kFlowXonXoff : 0);
    return 0;
}

int CommPrepare(CommPort* port, unsigned long baudRate, unsigned long readTimeoutMs,
                unsigned long writeTimeoutMs) {
    if (!port->savedValid)
        return EINVAL;  // the settings to start from were never read
    port->readTimeoutMs = readTimeoutMs;
    port->writeTimeoutMs = writeTimeoutMs;
    if (port->script != nullptr)
        return CommScriptPrepare(port->script, baudRate);
    // Raw always, as a Windows comm port is: no echo, no line editing, no CR LF translation.
    termios t = port->saved;
    // Every handshake off, as on Windows: the test drives RTS itself.
    tcflag_t line = t.c_cflag & kLineBits & ~CRTSCTS;
    cfmakeraw(&t);
    t.c_cflag = (t.c_cflag & ~kLineBits) | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (baudRate == 0) {
        t.c_cflag |= line;
    } else {
        speed_t speed = B0;
        for (const auto& known : kSpeeds) {
            if (known.baud == baudRate)
                speed = known.speed;
        }
        if (speed == B0)
            return kCommSpeedRefused;
        t.c_cflag |= CS8;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    if (tcsetattr(port->fd, TCSANOW, &t) != 0 || tcflush(port->fd, TCIOFLUSH) != 0)
        return errno;
    return 0;
}

int CommReadFastestSpeed(CommPort* port, unsigned long* baud) {
    *baud = 0;
    if (port->script != nullptr)
        return CommScriptReadFastestSpeed(port->script, baud);
    // A terminal takes every standard speed; a pseudo-terminal only pretends to.
    *baud = kSpeeds[sizeof kSpeeds / sizeof kSpeeds[0] - 1].baud;
    return 0;
}

int CommWrite(CommPort* port, const void* data, size_t size, size_t* done) {
    *done = 0;
    if (port->script != nullptr)
        return CommScriptWrite(port->script, data, size, done);
    // No tcdrain: on a pseudo-terminal whose other end never reads it would never return.
    return Transfer(port->fd, static_cast<char*>(const_cast<void*>(data)), size, done, POLLOUT,
                    port->writeTimeoutMs);
}

int CommRead(CommPort* port, void* data, size_t size, size_t* done) {
    *done = 0;
    if (port->script != nullptr)
        return CommScriptRead(port->script, data, size, done, port->readTimeoutMs);
    return Transfer(port->fd, static_cast<char*>(data), size, done, POLLIN, port->readTimeoutMs);
}

int CommTakeLineErrors(CommPort* port, unsigned* errors) {
    *errors = 0;  // the host keeps no count that is cheap to read
    return port->script != nullptr ? CommScriptTakeLineErrors(port->script, errors) : 0;
}

int CommSetOutput(CommPort* port, int line, int on) {
    if (port->script != nullptr)
        return CommScriptSetOutput(port->script, line, on);
    int bit = line == kOutputDtr ? TIOCM_DTR : TIOCM_RTS;
    return Ioctl(port->fd, on ? TIOCMBIS : TIOCMBIC, &bit);
}

int CommReadInputs(CommPort* port, unsigned* inputs) {
    *inputs = 0;
    if (port->script != nullptr)
        return CommScriptReadInputs(port->script, inputs);
    // A pseudo-terminal has no modem lines: this fails there, and the test says so.
    int bits = 0;
    if (int error = Ioctl(port->fd, TIOCMGET, &bits))
        return error;
    *inputs = ((bits & TIOCM_CTS) ? kInputCts : 0) | ((bits & TIOCM_DSR) ? kInputDsr : 0) |
              ((bits & TIOCM_RNG) ? kInputRing : 0) | ((bits & TIOCM_CAR) ? kInputDcd : 0);
    return 0;
}

int CommRestore(CommPort* port) {
    if (port->script != nullptr)
        return CommScriptRestore(port->script);
    if (!port->savedValid)
        return 0;
    int error = tcsetattr(port->fd, TCSANOW, &port->saved) == 0 ? 0 : errno;
    int lines = port->savedModemValid ? Ioctl(port->fd, TIOCMSET, &port->savedModemLines) : 0;
    return error != 0 ? error : lines;
}

void CommClose(CommPort* port) {
    if (port->script != nullptr)
        port->script->closed = 1;
    if (port->fd >= 0) {
        ioctl(port->fd, TIOCNXCL);  // the terminal may outlive us in another's hands
        close(port->fd);
    }
    port->script = nullptr;
    port->fd = -1;
}

void CommPause(unsigned long ms) {
    timespec wait = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

// platform/comm_port.h: a serial port opened for a test, and the few operations a test needs.
//
// The Windows build maps them onto KERNEL32's comm functions (plain handles: a test waits for
// each answer anyway, so overlapped I/O, which Windows 95 has, would buy nothing); the native
// build onto POSIX termios, so tests drive
// real pseudo-terminals, or onto a scripted port (host/comm_script.h) for the modem lines a
// pseudo-terminal does not have. Results: 0 is success, anything else the system's error code.
#ifndef KORVALIN_PLATFORM_COMM_PORT_H
#define KORVALIN_PLATFORM_COMM_PORT_H

#include <stddef.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <termios.h>
struct CommScript;
#endif

// What opening a port found.
enum CommOpenResult {
    kCommOpened = 0,
    kCommBusy,        // another program holds it (sharing violation or access denied)
    kCommAbsent,      // no such device, or nothing that answers as a serial port
    kCommOpenFailed,  // any other error; *error says which
};

enum CommParity { kParityNone = 0, kParityOdd, kParityEven, kParityMark, kParitySpace };
enum CommStopBits { kStopBitsOne = 0, kStopBitsOneAndHalf, kStopBitsTwo };
enum CommFlowBits { kFlowRtsCts = 1, kFlowDtrDsr = 2, kFlowXonXoff = 4 };

// A port's line settings as the system holds them.
struct CommSettings {
    unsigned long baudRate;
    int dataBits;
    int parity;    // a CommParity
    int stopBits;  // a CommStopBits
    int flow;      // CommFlowBits, 0 for none
};

enum CommOutputLine { kOutputDtr = 0, kOutputRts = 1 };
enum CommInputBits { kInputCts = 1, kInputDsr = 2, kInputRing = 4, kInputDcd = 8 };
enum CommLineErrorBits {
    kLineErrorFraming = 1,
    kLineErrorOverrun = 2,  // the UART lost a byte: too fast for it, or its FIFO is off
    kLineErrorParity = 4,
    kLineErrorBreak = 8,
    kLineErrorInputFull = 16,  // the driver's input buffer was full: the reader was too slow
};

// One open port and what it held when opened, to put back. Plain data: no heap.
struct CommPort {
#ifdef _WIN32
    HANDLE handle;
    DCB saved;
    COMMTIMEOUTS savedTimeouts;
#else
    int fd;
    struct termios saved;
    int savedModemLines;  // TIOCM_ bits, when savedModemValid
    int savedModemValid;
    CommScript* script;  // non-null: the scripted port stands in for a device
#endif
    // CommPrepare's: one read or write ends after this long in all, however many calls it takes.
    unsigned long readTimeoutMs, writeTimeoutMs;
    int savedValid;  // CommReadSettings kept the settings
    int plainName;   // opened by its plain name: the \\.\ form found nothing (Windows 95)
};

// Opens the port named `name` (COM7, MODEM1, ...; Windows opens it as \\.\NAME) for reading
// and writing, exclusively. Returns a CommOpenResult; *error is the system's code.
int CommOpen(const char* name, CommPort* port, unsigned long* error);

// Whether a failed open of \\.\NAME is tried again as plain NAME, by GetVersion's answer and
// the open's Windows error. Only Windows 95, 98 and ME (the platform bit), and only when the
// \\.\ form found nothing (file or path not found). The sources disagree on \\.\ there:
// KB Q115831 lists Windows 95 for \\.\COMn, the 1998 MSDN calls \\.\ names VxD names on
// Windows 95, and one maker's Windows 98 manual says \\.\COM10 works only on NT, 98 and ME.
// NT opens \\.\NAME only, the form it documents for every port. A plain name that is no
// device opens a file in the current folder, whose settings cannot be read: not present. Wine
// cannot show the difference (its plain COM1 to COM9 reach the very device \\.\COMn does, and
// any other plain name is a file in the current folder), so the native tests walk this rule.
inline int CommOpenTriesPlainName(unsigned long version, unsigned long error) {
    return (version & 0x80000000UL) != 0 && (error == 2 || error == 3);
}

// Reads the settings into *settings and keeps them, with the timeouts, for CommRestore.
// A port whose settings cannot be read is no serial port that answers: callers treat it as
// absent.
int CommReadSettings(CommPort* port, CommSettings* settings);
// For a test: `baudRate` 8N1 (0 keeps the port's own speed and framing), every handshake off
// (so that the test may drive DTR and RTS itself), buffers for a test's data, reads that
// return after `readTimeoutMs` at most, writes after `writeTimeoutMs`, both buffers emptied.
// Starts from what CommReadSettings kept: fails before it.
int CommPrepare(CommPort* port, unsigned long baudRate, unsigned long readTimeoutMs,
                unsigned long writeTimeoutMs);
// What CommPrepare answers when the port cannot be set to the speed asked for.
#ifdef _WIN32
enum { kCommSpeedRefused = ERROR_INVALID_PARAMETER };
#else
enum { kCommSpeedRefused = EINVAL };
#endif
// The fastest speed the port says it takes, in bits per second; 0 when it does not say.
int CommReadFastestSpeed(CommPort* port, unsigned long* baud);
// Writes or reads up to `size` bytes; *done says how many went. A read returns what came
// within its timeout, possibly nothing, with 0. The timeout holds for the whole call.
int CommWrite(CommPort* port, const void* data, size_t size, size_t* done);
int CommRead(CommPort* port, void* data, size_t size, size_t* done);
// The line errors (CommLineErrorBits) seen since the last call, which clears them.
int CommTakeLineErrors(CommPort* port, unsigned* errors);
// Sets output `line` (a CommOutputLine) on (1) or off (0).
int CommSetOutput(CommPort* port, int line, int on);
// The input lines now on (CommInputBits).
int CommReadInputs(CommPort* port, unsigned* inputs);
// Puts back the settings, timeouts and output lines CommReadSettings kept.
int CommRestore(CommPort* port);
void CommClose(CommPort* port);
// Waits `ms` milliseconds.
void CommPause(unsigned long ms);

#endif

// platform/win32/comm_win32.cpp: a serial port for a test over KERNEL32's comm functions
// (Windows build).
//
// Plain handles, never overlapped: a test waits for each answer anyway. Every operation answers
// 0 or the error GetLastError gave.
#include <windows.h>

#include "platform/comm_port.h"
#include "platform/limits.h"
#include "platform/text.h"

namespace {

// The values of both sets are the same, so a DCB's parity and stop bits are ours as they are.
static_assert(NOPARITY == kParityNone && ODDPARITY == kParityOdd && EVENPARITY == kParityEven &&
                  MARKPARITY == kParityMark && SPACEPARITY == kParitySpace,
              "DCB parity values");
static_assert(ONESTOPBIT == kStopBitsOne && ONE5STOPBITS == kStopBitsOneAndHalf &&
                  TWOSTOPBITS == kStopBitsTwo,
              "DCB stop bit values");

// GetLastError, never 0: a failed call must not read as success.
int LastError() {
    DWORD error = GetLastError();
    return error != 0 ? static_cast<int>(error) : ERROR_GEN_FAILURE;
}

// 0 when the call succeeded, else its error.
int Result(BOOL ok) {
    return ok ? 0 : LastError();
}

// Errors that say no device of that name is there: a name nothing was ever installed under,
// one no device could have, or a unit the driver does not have (a board's port past its last).
bool IsAbsentError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_UNIT || error == ERROR_DEV_NOT_EXIST;
}

// WriteFile or ReadFile until all of `size` moved, the port's timeout passed, or a call moved
// nothing. One deadline for all the calls, each given what is left of it: a device that sends a
// byte now and then would otherwise have every call wait the whole timeout again.
int Transfer(CommPort* port, char* bytes, size_t size, size_t* done, BOOL write) {
    DWORD timeout = write ? port->writeTimeoutMs : port->readTimeoutMs;
    DWORD start = GetTickCount();
    *done = 0;
    while (*done < size) {
        DWORD elapsed = GetTickCount() - start;  // unsigned: right across the counter's wrap
        if (elapsed >= timeout)
            break;
        COMMTIMEOUTS left = {0, 0, timeout - elapsed, 0, timeout - elapsed};
        if (!SetCommTimeouts(port->handle, &left))
            return LastError();
        DWORD moved = 0;
        DWORD chunk = static_cast<DWORD>(size - *done);  // a test's few hundred bytes
        if (!(write ? WriteFile(port->handle, bytes + *done, chunk, &moved, nullptr)
                    : ReadFile(port->handle, bytes + *done, chunk, &moved, nullptr)))
            return LastError();
        if (moved == 0)
            break;
        *done += moved;
    }
    return 0;
}

// GetCommProperties' BAUD_ flags, bit by bit, in bits per second.
const unsigned long kBaudOfFlag[] = {75,    110,   134,    150,    300,  600,   1200,
                                     1800,  2400,  4800,   7200,   9600, 14400, 19200,
                                     38400, 56000, 128000, 115200, 57600};

}  // namespace

int CommOpen(const char* name, CommPort* port, unsigned long* error) {
    port->handle = INVALID_HANDLE_VALUE;
    port->savedValid = port->plainName = 0;
    *error = 0;
    // \\.\NAME: Windows 95 opens COM10 and above only so, and any name a board gives its ports.
    char path[kPathSize];
    size_t length = TextLength(name);
    if (length == 0 || length >= sizeof path - 4)
        return kCommAbsent;  // no device has such a name
    CopyText(path, "\\\\.\\");
    CopyText(path + 4, name);
    for (const char* tried = path;; tried = name, port->plainName = 1) {
        port->handle =
            CreateFileA(tried, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port->handle != INVALID_HANDLE_VALUE)
            return kCommOpened;
        *error = GetLastError();
        if (tried == name || !CommOpenTriesPlainName(GetVersion(), *error))
            break;
    }
    // A port another program holds fails with a sharing violation or access denied; which of
    // the two Windows 95 gives is not documented, so both read busy.
    if (*error == ERROR_SHARING_VIOLATION || *error == ERROR_ACCESS_DENIED)
        return kCommBusy;
    return IsAbsentError(*error) ? kCommAbsent : kCommOpenFailed;
}

int CommReadSettings(CommPort* port, CommSettings* settings) {
    DCB& dcb = port->saved;
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port->handle, &dcb) || !GetCommTimeouts(port->handle, &port->savedTimeouts))
        return LastError();
    port->savedValid = 1;
    settings->baudRate = dcb.BaudRate;
    settings->dataBits = dcb.ByteSize;
    settings->parity = dcb.Parity;
    settings->stopBits = dcb.StopBits;
    int flow = 0;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        flow |= kFlowRtsCts;
    if (dcb.fOutxDsrFlow || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        flow |= kFlowDtrDsr;
    if (dcb.fOutX || dcb.fInX)
        flow |= kFlowXonXoff;
    settings->flow = flow;
    return 0;
}

int CommPrepare(CommPort* port, unsigned long baudRate, unsigned long readTimeoutMs,
                unsigned long writeTimeoutMs) {
    if (!port->savedValid)
        return ERROR_INVALID_FUNCTION;  // the settings to start from were never read
    HANDLE handle = port->handle;
    DCB dcb = port->saved;
    if (baudRate != 0) {
        dcb.BaudRate = baudRate;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fParity = FALSE;
    }
    // No handshake of any kind: with one on, EscapeCommFunction on its line is an error, the
    // test drives DTR and RTS itself, and a plug that wires no CTS must not stop the data.
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fErrorChar = dcb.fNull = dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb))
        return LastError();
    // Buffers are only a request: a driver that keeps its own sizes still carries a test's
    // 512 bytes, so a refusal is no reason to give up.
    SetupComm(handle, 2048, 2048);
    // Each read and write sets its own timeouts (Transfer).
    port->readTimeoutMs = readTimeoutMs;
    port->writeTimeoutMs = writeTimeoutMs;
    return Result(PurgeComm(handle, PURGE_TXCLEAR | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_RXABORT));
}

int CommReadFastestSpeed(CommPort* port, unsigned long* baud) {
    COMMPROP properties;
    *baud = 0;
    if (!GetCommProperties(port->handle, &properties))
        return LastError();
    // A port with a fixed limit names one speed; one that takes any divisor (BAUD_USER) leaves
    // it to the speeds it lists as settable.
    DWORD flags = properties.dwMaxBaud;
    if (flags == BAUD_USER)
        flags = properties.dwSettableBaud;
    for (unsigned bit = 0; bit < sizeof kBaudOfFlag / sizeof kBaudOfFlag[0]; ++bit)
        if (((flags >> bit) & 1) && kBaudOfFlag[bit] > *baud)
            *baud = kBaudOfFlag[bit];
    return 0;
}

int CommWrite(CommPort* port, const void* data, size_t size, size_t* done) {
    return Transfer(port, static_cast<char*>(const_cast<void*>(data)), size, done, TRUE);
}

int CommRead(CommPort* port, void* data, size_t size, size_t* done) {
    return Transfer(port, static_cast<char*>(data), size, done, FALSE);
}

int CommTakeLineErrors(CommPort* port, unsigned* errors) {
    DWORD found = 0;
    *errors = 0;
    if (!ClearCommError(port->handle, &found, nullptr))
        return LastError();
    if (found & CE_FRAME)
        *errors |= kLineErrorFraming;
    if (found & CE_OVERRUN)
        *errors |= kLineErrorOverrun;
    if (found & CE_RXOVER)
        *errors |= kLineErrorInputFull;
    if (found & CE_RXPARITY)
        *errors |= kLineErrorParity;
    if (found & CE_BREAK)
        *errors |= kLineErrorBreak;
    return 0;
}

int CommSetOutput(CommPort* port, int line, int on) {
    DWORD function = line == kOutputDtr ? (on ? SETDTR : CLRDTR) : (on ? SETRTS : CLRRTS);
    return Result(EscapeCommFunction(port->handle, function));
}

int CommReadInputs(CommPort* port, unsigned* inputs) {
    DWORD status = 0;
    *inputs = 0;
    if (!GetCommModemStatus(port->handle, &status))
        return LastError();
    if (status & MS_CTS_ON)
        *inputs |= kInputCts;
    if (status & MS_DSR_ON)
        *inputs |= kInputDsr;
    if (status & MS_RING_ON)
        *inputs |= kInputRing;
    if (status & MS_RLSD_ON)
        *inputs |= kInputDcd;
    return 0;
}

int CommRestore(CommPort* port) {
    if (!port->savedValid)
        return 0;
    // The DCB's DTR and RTS control puts the output lines back as well.
    int timeouts = Result(SetCommTimeouts(port->handle, &port->savedTimeouts));
    int state = Result(SetCommState(port->handle, &port->saved));
    return timeouts != 0 ? timeouts : state;
}

void CommClose(CommPort* port) {
    if (port->handle != INVALID_HANDLE_VALUE)
        CloseHandle(port->handle);
    port->handle = INVALID_HANDLE_VALUE;
}

void CommPause(unsigned long ms) {
    Sleep(ms);
}

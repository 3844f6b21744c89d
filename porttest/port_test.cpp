// porttest/port_test.cpp: the port test's checks in order: open, settings, data through the
// loopback plug at two speeds, the signal pairs the plug wires, put back.
#include "porttest/port_session.h"
#include "porttest/port_test_texts.h"
#include "platform/text.h"

namespace {

// The speeds of the data check: the common one, and the fastest a 16550 UART takes.
const unsigned long kDataSpeeds[] = {9600, 115200};

enum {
    kSettleMs = 50,    // for an input to follow an output through the plug
    kTimedOut = 1460,  // Windows' ERROR_TIMEOUT
};

// One signal pair of a loopback plug: `input` follows `output`.
struct SignalPair {
    char name[8];
    unsigned char output;  // a CommOutputLine
    unsigned char input;   // a CommInputBits bit
    unsigned char plugs;   // the PlugKinds (as bits) that wire it
    unsigned char maybe;   // 1: some plugs of those kinds leave it out (RI)
};
const SignalPair kSignalPairs[] = {
    {"RTS-CTS", kOutputRts, kInputCts, 1 << kPlugFull | 1 << kPlugRj45, 0},
    {"DTR-DSR", kOutputDtr, kInputDsr, 1 << kPlugFull, 0},
    {"DTR-DCD", kOutputDtr, kInputDcd, 1 << kPlugFull, 0},
    {"DTR-RI", kOutputDtr, kInputRing, 1 << kPlugFull, 1},
};

void ReportSettings(PortSession* session) {
    const CommSettings& s = session->settings;
    char shape[48] = {kParityLetters[s.parity % 5], 0};
    AppendText(shape, sizeof shape, kStopBitsTexts[s.stopBits % 3]);
    if (s.flow == 0)
        AppendText(shape, sizeof shape, kNoFlowText);
    for (int i = 0, named = 0; i < 3; ++i) {
        if (s.flow & (1 << i)) {
            AppendText(shape, sizeof shape, named++ ? " and " : "");
            AppendText(shape, sizeof shape, kFlowNames[i]);
        }
    }
    if (s.flow != 0)
        AppendText(shape, sizeof shape, kFlowText);
    Say(session, kSettingsText, shape, s.baudRate, static_cast<unsigned long>(s.dataBits));
}

// Sends the pattern at `baud` and reads it back: one line, "data 9600: pass (512 bytes)".
void CheckData(PortSession* session, unsigned long baud) {
    // Ten bits to a byte on the wire; time for the pattern and half a second more.
    unsigned long transferMs = kPortTestBytes * 10000UL / baud + 1;
    unsigned char pattern[kPortTestBytes], back[kPortTestBytes];
    MakeTestPattern(pattern, kPortTestBytes);
    size_t sent = 0, got = 0;
    unsigned errors = 0;
    int error = CommPrepare(&session->port, baud, transferMs + 500, transferMs + 1000);
    if (error == 0)
        error = CommWrite(&session->port, pattern, sizeof pattern, &sent);
    if (error == 0 && sent != sizeof pattern)
        error = kTimedOut;  // flow control held it back, or the port never took it
    if (error != 0) {
        MarkFailed(session);
        Say(session, kNotSentText, "", baud, static_cast<unsigned long>(error));
        return;
    }
    CommRead(&session->port, back, sizeof back, &got);
    CommTakeLineErrors(&session->port, &errors);
    size_t first = 0;
    while (first < got && back[first] == pattern[first])
        ++first;
    char lineErrors[64] = "";
    if (errors != 0) {
        AppendText(lineErrors, sizeof lineErrors, kLineErrorsText);
        for (int i = 0; i < 5; ++i)
            if (errors & (1u << i))
                AppendText(lineErrors, sizeof lineErrors, kLineErrorNames[i]);
    }
    const char* format = got == 0                           ? kNoDataText
                         : first < got                      ? kByteDiffersText
                         : got < sizeof back || errors != 0 ? kCameBackText
                                                            : kDataPassText;
    if (format != kDataPassText)
        MarkFailed(session);
    Say(session, format, lineErrors, baud, first);
}

// The inputs with both outputs off, with DTR alone on, and with RTS alone on: each output on
// and off in turn. 0 when a line could not be set or read.
int ReadSignalStates(PortSession* session, unsigned states[3]) {
    static const unsigned char kOutputsOn[3] = {0, 1 << kOutputDtr, 1 << kOutputRts};
    for (int s = 0; s < 3; ++s) {
        for (int line = kOutputDtr; line <= kOutputRts; ++line)
            if (CommSetOutput(&session->port, line, (kOutputsOn[s] >> line) & 1) != 0)
                return 0;
        CommPause(kSettleMs);
        if (CommReadInputs(&session->port, &states[s]) != 0)
            return 0;
    }
    return 1;
}

// What a signal pair's input did, as kSignalTexts says it.
enum SignalResult {
    kSignalPass = 0,
    kSignalStuckOn,
    kSignalStuckOff,
    kSignalFollowsDtr,
    kSignalFollowsRts,
    kSignalNotWired,
    kSignalNotRead,
};

void CheckSignals(PortSession* session, int plug) {
    unsigned states[3] = {0, 0, 0};
    int readable = plug != kPlugNone && ReadSignalStates(session, states);
    for (const SignalPair& pair : kSignalPairs) {
        unsigned bothOff = states[0] & pair.input;
        unsigned ownOn = states[1 + pair.output] & pair.input;
        unsigned otherOn = states[2 - pair.output] & pair.input;
        int result;
        if (!(pair.plugs & (1 << plug)))
            result = kSignalNotWired;
        else if (!readable)
            result = kSignalNotRead;
        else if (bothOff)
            result = kSignalStuckOn;
        else if (otherOn)
            result = kSignalFollowsDtr + (1 - pair.output);
        else if (ownOn)
            result = kSignalPass;
        else
            result = pair.maybe ? kSignalNotWired : kSignalStuckOff;
        if (result != kSignalPass && result < kSignalNotWired)
            MarkFailed(session);
        Say(session, kSignalTexts[result], pair.name);
    }
}

}  // namespace

const PlugName kPlugNames[kPlugKinds] = {
    {"No loopback plug", "none"},
    {"Data-only plug (TX to RX)", "data"},
    {"9- or 25-pin loopback plug", "full"},
    {"RJ-45 8-pin loopback plug", "rj45"},
    {"RJ-45 plug, RTS-CTS only", "rj45-rts"},
    {"RJ-45 10-pin loopback plug", "rj45-10"},
};

void FormatCountLines(const PortTestCounts&, char first[kPortTestLineSize],
                      char second[kPortTestLineSize]) {
    first[0] = second[0] = 0;
}

int RunWatchLines(const char*, PortLines*, const PortTestControl&) {
    return kPortTestAbsent;
}

int RunPortTest(const char* portName, const PortTestOptions& options,
                const PortTestControl& control) {
    int plug = options.plug;
    PortSession session = {};
    session.control = &control;
    if (!OpenTestedPort(&session, portName))
        return session.result;
    ReportSettings(&session);
    for (unsigned long baud : kDataSpeeds)
        if (!StopRequested(session))
            CheckData(&session, baud);
    if (!StopRequested(session))
        CheckSignals(&session, plug);
    if (StopRequested(session)) {
        Say(&session, kStoppedText);
        session.result = kPortTestStopped;
    }
    PutBackPort(&session);
    return session.result;
}

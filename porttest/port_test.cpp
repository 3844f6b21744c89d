// porttest/port_test.cpp: the port test's checks in order: open, settings, data through the
// loopback plug at two speeds, the signal pairs the plug wires, put back.
#include "porttest/port_session.h"
#include "porttest/port_test_texts.h"

namespace {

// The speeds of the data check: the common one, and the fastest a 16550 UART takes.
const unsigned long kDataSpeeds[] = {9600, 115200};

enum { kSettleMs = 50 };  // for an input to follow an output through the plug

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
const char* const kOutputNames[] = {"DTR", "RTS"};

void ReportSettings(PortSession* session) {
    const CommSettings& s = session->settings;
    StartLine(session, kSettingsText);
    AddNumberToLine(session, s.baudRate);
    AddToLine(session, kBaudWord);
    AddNumberToLine(session, static_cast<unsigned long>(s.dataBits));
    char parity[2] = {kParityLetters[s.parity % 5], 0};
    AddToLine(session, parity);
    AddToLine(session, s.stopBits == kStopBitsOne   ? "1, "
                       : s.stopBits == kStopBitsTwo ? "2, "
                                                    : "1.5, ");
    if (s.flow == 0)
        AddToLine(session, kNoFlowText);
    for (int i = 0, named = 0; i < 3; ++i) {
        if (s.flow & (1 << i)) {
            AddToLine(session, named++ ? kFlowAnd : "");
            AddToLine(session, kFlowNames[i]);
        }
    }
    if (s.flow != 0)
        AddToLine(session, kFlowText);
    ReportLine(session);
}

// Sends the pattern at `baud` and reads it back: one line, "data 9600: pass (512 bytes)".
void CheckData(PortSession* session, unsigned long baud) {
    StartLine(session, kDataWord);
    AddNumberToLine(session, baud);
    AddToLine(session, ": ");
    // Ten bits to a byte on the wire; time for the pattern and half a second more.
    unsigned long transferMs = kPortTestBytes * 10000UL / baud + 1;
    unsigned char pattern[kPortTestBytes], back[kPortTestBytes];
    MakeTestPattern(pattern, kPortTestBytes);
    size_t sent = 0, got = 0;
    unsigned errors = 0;
    int error = CommPrepare(&session->port, baud, transferMs + 500, transferMs + 1000);
    if (error != 0) {
        AddToLine(session, kNotSetUpText);
    } else if ((error = CommWrite(&session->port, pattern, sizeof pattern, &sent)) != 0 ||
               sent != sizeof pattern) {
        AddToLine(session, kNotSentText);
    } else {
        CommRead(&session->port, back, sizeof back, &got);
        CommTakeLineErrors(&session->port, &errors);
    }
    if (error != 0 || sent != sizeof pattern) {
        AddNumberToLine(session, static_cast<unsigned long>(error));
        MarkFailed(session);
        ReportLine(session);
        return;
    }
    size_t first = 0;
    while (first < got && back[first] == pattern[first])
        ++first;
    if (got == 0) {
        AddToLine(session, kNoDataText);
    } else if (first < got) {
        AddToLine(session, kByteWord);
        AddNumberToLine(session, first);
        AddToLine(session, kDiffersText);
    } else if (got < sizeof pattern) {
        AddToLine(session, kOnlyWord);
        AddNumberToLine(session, got);
        AddToLine(session, " of ");
        AddNumberToLine(session, kPortTestBytes);
        AddToLine(session, kCameBackText);
    } else if (errors == 0) {
        AddToLine(session, kPassText);
        AddToLine(session, " (");
        AddNumberToLine(session, kPortTestBytes);
        AddToLine(session, " bytes)");
        ReportLine(session);
        return;
    } else {
        AddNumberToLine(session, got);
        AddToLine(session, kCameBackText);
    }
    if (errors != 0) {
        AddToLine(session, kLineErrorsText);
        for (int i = 0; i < 4; ++i)
            if (errors & (1u << i))
                AddToLine(session, kLineErrorNames[i]);
    }
    MarkFailed(session);
    ReportLine(session);
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

void CheckSignals(PortSession* session, int plug) {
    unsigned states[3] = {0, 0, 0};
    int readable = plug != kPlugNone && ReadSignalStates(session, states);
    for (const SignalPair& pair : kSignalPairs) {
        StartLine(session, pair.name);
        AddToLine(session, ": ");
        unsigned bothOff = states[0] & pair.input;
        unsigned ownOn = states[1 + pair.output] & pair.input;
        unsigned otherOn = states[2 - pair.output] & pair.input;
        const char* result = kPassText;
        int failed = 1;
        if (!(pair.plugs & (1 << plug)))
            result = kNotWiredText, failed = 0;
        else if (!readable)
            result = kNotReadText, failed = 0;
        else if (bothOff)
            result = kStuckOnText;
        else if (otherOn)
            result = kCrossedText;
        else if (ownOn)
            failed = 0;
        else if (pair.maybe)
            result = kNotWiredText, failed = 0;
        else
            result = kStuckOffText;
        AddToLine(session, result);
        if (result == kCrossedText)
            AddToLine(session, kOutputNames[1 - pair.output]);
        if (failed)
            MarkFailed(session);
        ReportLine(session);
    }
}

}  // namespace

int RunPortTest(const char* portName, int plug, const PortTestControl& control) {
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
        StartLine(&session, kStoppedText);
        ReportLine(&session);
        session.result = kPortTestStopped;
    }
    PutBackPort(&session);
    return session.result;
}

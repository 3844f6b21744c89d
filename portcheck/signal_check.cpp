// portcheck/signal_check.cpp: the plugs a technician fits, by name and by rule, and the signal
// check: each input's wiring read through four states of the outputs, then judged by the rule.
#include "platform/text.h"
#include "portcheck/port_session.h"
#include "portcheck/port_check_texts.h"

// By PlugKind: the dialog's plug list and /plug take these.
const PlugName kPlugNames[kPlugKinds] = {
    {"No loopback plug", "none"},
    {"Data-only plug (TX to RX)", "data"},
    {"9- or 25-pin loopback plug", "full"},
    {"RJ-45 8-pin loopback plug", "rj45"},
    {"RJ-45 plug, RTS-CTS only", "rj45-rts"},
    {"RJ-45 10-pin loopback plug", "rj45-10"},
};

namespace {

// What an input did while the outputs went through none on, DTR alone, RTS alone and both on.
// The first two are CommOutputLines: the output it follows.
enum Wiring {
    kFollowsDtr = 0,
    kFollowsRts,
    kNotWired,     // off throughout
    kStuckOn,      // on throughout
    kFollowsBoth,  // on only with both on, or with either
    kErratic,      // any other pattern
    kNotRead,      // a line could not be set or read
};

// By the four readings, bit n on in state n.
const unsigned char kWiringOfReadings[16] = {
    kNotWired,    kErratic, kErratic,    kErratic, kErratic,    kErratic, kErratic,     kErratic,
    kFollowsBoth, kErratic, kFollowsDtr, kErratic, kFollowsRts, kErratic, kFollowsBoth, kStuckOn,
};

// A plug's rule for one input: the Wirings that pass, as bits. One output alone is a must: the
// input fails on anything else, and leaves the test not fully tested when it cannot be read.
enum {
    kMustDtr = 1 << kFollowsDtr,
    kMustRts = 1 << kFollowsRts,
    kMay = kMustDtr | kMustRts | 1 << kNotWired,  // follows either output, or is not wired
    kAny = (1 << kNotRead) - 1,                   // reported as seen, never judged
};

// By PlugKind, then by input: CTS, DSR, DCD, RI. The published plugs all wire RTS to CTS and
// DTR to DSR and DCD, and differ on RI: on RTS, on DTR, or nowhere.
const unsigned char kPlugRules[kPlugKinds][4] = {
    {0, 0, 0, 0},                          // none: nothing is driven or read
    {kAny, kAny, kAny, kAny},              // data only
    {kMustRts, kMustDtr, kMustDtr, kMay},  // 9- or 25-pin
    {kMustRts, kMustDtr, kMay, kMay},      // RJ-45 8-pin
    {kMustRts, kMay, kMay, kMay},          // RJ-45, RTS-CTS only
    {kMustRts, kMustDtr, kMustDtr, kMay},  // RJ-45 10-pin
};

// By input, as kInputNames.
const unsigned char kInputBits[4] = {kInputCts, kInputDsr, kInputDcd, kInputRing};

enum { kSettleMs = 50 };  // for an input to follow an output through the plug

// The inputs after each of the four states has settled; read again a settle later, to count the
// changes while the outputs held still. 0 when a line could not be set or read.
int ReadWiring(PortSession* session, unsigned readings[4]) {
    for (int state = 0; state < 4; ++state) {
        for (int line = kOutputDtr; line <= kOutputRts; ++line)
            if (CommSetOutput(&session->port, line, (state >> line) & 1) != 0)
                return 0;
        PauseOrStop(*session, kSettleMs);
        if (CommReadInputs(&session->port, &readings[state]) != 0)
            return 0;
        PauseOrStop(*session, kSettleMs);
        if (!CountInputChanges(session, readings[state]))
            return 0;
    }
    return 1;
}

}  // namespace

void CheckSignals(PortSession* session, int plug) {
    unsigned readings[4];
    int read = ReadWiring(session, readings);
    if (StopRequested(*session))
        return;
    for (int input = 0; input < 4; ++input) {
        unsigned bits = 0;
        for (int state = 0; state < 4; ++state)
            bits |= ((readings[state] & kInputBits[input]) != 0) << state;
        int seen = read ? kWiringOfReadings[bits] : int{kNotRead};
        unsigned rule = kPlugRules[plug][input];
        int must = rule == kMustDtr || rule == kMustRts;
        char text[kPortTestLineSize];
        CopyText(text, kInputNames[input]);
        AppendText(text, sizeof text, kWiringTexts[seen]);
        // Seen as it is where the rule allows it, judged where the rule is a must.
        int outcome = kPortTestPassed;
        const char* verdict = must ? kWiringPassText : "";
        if (seen == kNotRead) {
            outcome = must ? kPortTestNotFullyTested : kPortTestPassed;
            verdict = must ? kWiringUntestedText : "";
        } else if (!(rule & (1u << seen))) {
            outcome = kPortTestFailed;
            verdict = must && seen <= kNotWired ? kWiringMustTexts[rule >> 1] : kWiringFailText;
        }
        AppendText(text, sizeof text, verdict);
        if (seen == kErratic) {
            AppendText(text, sizeof text, kReadingsText);
            for (int state = 0; state < 4; ++state) {
                AppendText(text, sizeof text, state ? "/" : "");
                AppendText(text, sizeof text, (bits >> state) & 1 ? "on" : "off");
            }
            AppendText(text, sizeof text, kReadingsWithText);
        }
        Report(session, outcome, "%s", text);
    }
}

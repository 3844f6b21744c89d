// portcheck/data_check.cpp: the data check: the pattern through the loopback plug at each speed
// the port takes, what came back, and the line errors the driver saw, each kind apart.
#include "platform/text.h"
#include "portcheck/port_session.h"
#include "portcheck/port_check_texts.h"

namespace {

enum {
    kTimedOut = 1460,  // Windows' ERROR_TIMEOUT
    kNotMade = -1,     // stopped before the check ended: no line
};
const unsigned long kCommonSpeed = 9600;       // any UART keeps up with it
const unsigned long kFastestChecked = 115200;  // a 16550's fastest: the default goes no higher

// Sends the pattern at `baud` and reads it back: one line, "data 9600: pass (512 bytes)".
// Returns 1 for a pass, 0 for a failure, kNotMade; *errors: the line errors the driver saw.
int CheckData(PortSession* session, unsigned long baud, unsigned* errors) {
    PortTestCounts* counts = session->counts;
    // Ten bits to a byte on the wire; time for the pattern and half a second more.
    unsigned long slices = (kPortTestBytes * 10000UL / baud + 500) / kSliceMs + 1;
    unsigned char pattern[kPortTestBytes], back[kPortTestBytes];
    MakeTestPattern(pattern, kPortTestBytes);
    size_t sent = 0, got = 0;
    unsigned before = 0;
    *errors = 0;
    int error = CommPrepare(&session->port, baud, kSliceMs, kSliceMs);
    if (error == kCommSpeedRefused) {
        Report(session, kPortTestFailed, kSpeedRefusedText, "", baud);
        return 0;
    }
    // The inputs before and after: the outputs hold still meanwhile. (A port whose inputs
    // cannot be read counts no change.)
    CommReadInputs(&session->port, &before);
    if (error == 0)
        error = MoveInSlices(session, pattern, sizeof pattern, &sent, 1, slices);
    if (error == 0 && sent != sizeof pattern)
        error = kTimedOut;  // flow control held it back, or the port never took it
    if (error == 0)
        MoveInSlices(session, back, sizeof back, &got, 0, slices);
    counts->bytesSent += sent;
    if (StopRequested(*session))
        return kNotMade;
    if (error != 0) {
        Report(session, kPortTestFailed, kNotSentText, "", baud, static_cast<unsigned long>(error));
        return 0;
    }
    CommTakeLineErrors(&session->port, errors);
    CountInputChanges(session, before);
    counts->bytesReceived += got;
    size_t first = got;
    for (size_t i = 0; i < got; ++i) {
        if (back[i] != pattern[i]) {
            first = first < got ? first : i;
            ++counts->bytesDiffered;
        }
    }
    char lineErrors[64] = "";
    if (*errors != 0)
        AppendText(lineErrors, sizeof lineErrors, kLineErrorsText);
    for (int i = 0; i < kLineErrorKinds; ++i) {
        if (*errors & (1u << i)) {
            AppendText(lineErrors, sizeof lineErrors, kLineErrorNames[i]);
            ++counts->lineErrors[i];
        }
    }
    const char* format = got == 0                            ? kNoDataText
                         : first < got                       ? kByteDiffersText
                         : got < sizeof back || *errors != 0 ? kCameBackText
                                                             : kDataPassText;
    int passed = format == kDataPassText;
    Report(session, passed ? kPortTestPassed : kPortTestFailed, format, lineErrors, baud, first);
    return passed;
}

}  // namespace

void CheckDataAtSpeeds(PortSession* session, const PortTestOptions& options, unsigned long fastest,
                       int* hinted) {
    // Unsigned: a port that does not say (0) is taken as fast enough.
    unsigned long defaults[2] = {kCommonSpeed,
                                 fastest - 1 < kFastestChecked ? fastest : kFastestChecked};
    const unsigned long* speeds = options.speeds;
    int count = options.speedCount < kPortTestMaxSpeeds ? options.speedCount : kPortTestMaxSpeeds;
    if (count <= 0) {
        speeds = defaults;
        count = defaults[1] == kCommonSpeed ? 1 : 2;
    }
    int checked = 0, commonPassed = 0, fasterOverran = 0;
    for (int i = 0; i < count && !StopRequested(*session); ++i) {
        unsigned long baud = speeds[i];
        if (fastest != 0 && baud > fastest) {
            Report(session, kPortTestPassed, kSpeedSkippedText, "", baud, fastest);
            continue;
        }
        unsigned errors;
        int passed = CheckData(session, baud, &errors);
        ++checked;
        if (baud == kCommonSpeed)
            commonPassed = passed == 1;
        else if (baud > kCommonSpeed && (errors & kLineErrorOverrun))
            fasterOverran = 1;
    }
    // Not a single speed the port takes: the data was never checked.
    if (checked == 0)
        Mark(session, kPortTestNotFullyTested);
    // A UART without a working FIFO keeps up at 9,600 baud and loses bytes faster: say what
    // that usually is, once.
    if (commonPassed && fasterOverran && !*hinted) {
        *hinted = 1;
        Say(session, kOverrunHintText);
    }
}

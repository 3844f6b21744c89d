// portcheck/port_check.cpp: the port test in order: open, settings, then run after run the data
// check at each speed and the signal check, put back, and the counts.
#include "portcheck/port_session.h"
#include "portcheck/port_check_texts.h"
#include "platform/text.h"

namespace {

void AppendCount(char* line, unsigned long count, const char* what) {
    AppendNumber(line, kPortTestLineSize, count);
    AppendText(line, kPortTestLineSize, what);
}

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

void ReportCounts(PortSession* session) {
    const PortTestCounts& counts = *session->counts;
    char first[kPortTestLineSize], second[kPortTestLineSize];
    FormatCountLines(counts, first, second);
    Say(session, "%s", first);
    Say(session, "%s", second);
    if (counts.failedRun != 0 && counts.runs > 1)
        Say(session, kFirstFailedText, "", counts.failedRun, counts.runs);
}

}  // namespace

void FormatCountLines(const PortTestCounts& counts, char first[kPortTestLineSize],
                      char second[kPortTestLineSize]) {
    const unsigned long numbers[] = {counts.runs, counts.bytesSent, counts.bytesReceived,
                                     counts.bytesDiffered};
    CopyText(first, kCountsText);
    for (int i = 0; i < 4; ++i)
        AppendCount(first, numbers[i], i == 0 && numbers[0] == 1 ? kOneRunText : kCountTexts[i]);
    CopyText(second, kLineErrorCountsText);
    const char* separator = " ";
    for (int kind = 0; kind < kLineErrorKinds; ++kind) {
        if (counts.lineErrors[kind] != 0) {
            AppendText(second, kPortTestLineSize, separator);
            AppendCount(second, counts.lineErrors[kind], kLineErrorNames[kind]);
            separator = ", ";
        }
    }
    if (separator[1] == 0)
        AppendText(second, kPortTestLineSize, kNoLineErrorsText);
    AppendText(second, kPortTestLineSize, ", ");
    AppendCount(second, counts.signalChanges, kSignalChangesText);
}

int RunPortTest(const char* portName, const PortTestOptions& options,
                const PortTestControl& control) {
    PortTestCounts own;
    PortSession session = {};
    session.control = &control;
    session.counts = control.counts != nullptr ? control.counts : &own;
    *session.counts = PortTestCounts();
    if (!OpenTestedPort(&session, portName))
        return session.result;
    ReportSettings(&session);
    int plug = options.plug;
    if (plug == kPlugNone) {
        // Nothing fitted, or nothing known: a modem or a printer may be there. Nothing is sent
        // and no line is driven, so passing means present and free.
        Say(&session, kNoPlugText, "data");
        Say(&session, kNoPlugText, "signals");
    } else {
        unsigned long fastest = 0;  // 0: the port does not say, and every speed is tried
        CommReadFastestSpeed(&session.port, &fastest);
        int hinted = 0;
        for (unsigned long run = 1;
             (options.runs == 0 || run <= options.runs) && !StopRequested(session); ++run) {
            session.run = run;
            CheckDataAtSpeeds(&session, options, fastest, &hinted);
            CheckSignals(&session, plug);
            // A run cut short by Stop counts only when it had already failed.
            if (!StopRequested(session) || session.counts->failedRun == run)
                session.counts->runs = run;
        }
        session.run = 0;
    }
    int stopped = StopRequested(session);
    if (stopped)
        Say(&session, kStoppedText);
    PutBackPort(&session);
    if (plug != kPlugNone && session.counts->runs + session.counts->bytesSent != 0)
        ReportCounts(&session);
    // Stopped says nothing failed before Stop; a failure seen stays one.
    if (stopped && session.result < kPortTestFailed)
        session.result = kPortTestStopped;
    return session.result;
}

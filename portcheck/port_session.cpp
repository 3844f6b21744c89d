// portcheck/port_session.cpp: opening a port for a test, the result lines, counting, moving bytes
// in slices, putting the port back.
#include "portcheck/port_session.h"

#include "platform/text.h"
#include "portcheck/port_check_texts.h"

void Say(PortSession* session, const char* format, const char* text, unsigned long n,
         unsigned long m) {
    char* line = session->line;
    line[0] = 0;
    if (session->run > 1) {
        AppendText(line, kPortTestLineSize, kRunText);
        AppendNumber(line, kPortTestLineSize, session->run);
        AppendText(line, kPortTestLineSize, ": ");
    }
    for (; *format != 0; ++format) {
        char piece[2] = {*format, 0};
        if (*format != '%')
            AppendText(line, kPortTestLineSize, piece);
        else if (*++format == 's')
            AppendText(line, kPortTestLineSize, text);
        else
            AppendNumber(line, kPortTestLineSize, *format == 'n' ? n : m);
    }
    session->control->writeLine(session->control->context, line);
}

void Report(PortSession* session, int outcome, const char* format, const char* text,
            unsigned long n, unsigned long m) {
    Mark(session, outcome);
    if (outcome != kPortTestPassed || session->run <= 1)
        Say(session, format, text, n, m);
}

void Mark(PortSession* session, int outcome) {
    if (session->result < outcome)
        session->result = outcome;
    PortTestCounts* counts = session->counts;
    if (outcome == kPortTestFailed && counts != nullptr && counts->failedRun == 0)
        counts->failedRun = session->run;
}

int StopRequested(const PortSession& session) {
    return session.control->stop != nullptr && *session.control->stop != 0;
}

// Waits in short steps, so that Stop and Close answer within a twentieth of a second.
void PauseOrStop(const PortSession& session, unsigned long ms) {
    for (unsigned long waited = 0; waited < ms && !StopRequested(session); waited += 50)
        CommPause(50);
}

int CountInputChanges(PortSession* session, unsigned before) {
    unsigned now;
    if (CommReadInputs(&session->port, &now) != 0)
        return 0;
    for (unsigned changed = before ^ now; changed != 0; changed &= changed - 1)
        ++session->counts->signalChanges;
    return 1;
}

int MoveInSlices(PortSession* session, unsigned char* bytes, size_t size, size_t* done, int write,
                 unsigned long slices) {
    int error = 0;
    *done = 0;
    for (; error == 0 && *done < size && slices > 0 && !StopRequested(*session); --slices) {
        size_t moved = 0;
        error = write ? CommWrite(&session->port, bytes + *done, size - *done, &moved)
                      : CommRead(&session->port, bytes + *done, size - *done, &moved);
        *done += moved;
    }
    return error;
}

int OpenTestedPort(PortSession* session, const char* name) {
    // By CommOpenResult.
    static const char* const kOpenTexts[] = {kOpenFreeText, kOpenBusyText, kOpenAbsentText,
                                             kOpenErrorText};
    static const unsigned char kOpenResults[] = {kPortTestPassed, kPortTestBusy, kPortTestAbsent,
                                                 kPortTestAbsent};
    unsigned long error = 0;
    int opened = CommOpen(name, &session->port, &error);
    // Windows 95 refuses a port no device answers for at the open; Wine opens a name mapped to
    // nothing and fails the first comm call. Either way no serial port is there.
    if (opened == kCommOpened && CommReadSettings(&session->port, &session->settings) != 0) {
        CommClose(&session->port);
        opened = kCommAbsent;
    }
    session->result = kOpenResults[opened];
    const char* format = kOpenTexts[opened];
    if (opened == kCommOpened && session->port.plainName)
        format = kOpenPlainText;
    Say(session, format, name, error);
    return opened == kCommOpened;
}

void PutBackPort(PortSession* session) {
    int error = CommRestore(&session->port);
    CommClose(&session->port);
    if (error != 0)
        MarkFailed(session);
    Say(session, error == 0 ? kPutBackText : kNotPutBackText, "",
        static_cast<unsigned long>(error));
}

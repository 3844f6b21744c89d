// porttest/port_session.cpp: opening a port for a test, the result lines, putting it back.
#include "porttest/port_session.h"

#include "platform/text.h"
#include "porttest/port_test_texts.h"

void ReportLine(PortSession* session) {
    session->control->writeLine(session->control->context, session->line);
}

void StartLine(PortSession* session, const char* text) {
    session->line[0] = 0;
    AddToLine(session, text);
}

void AddToLine(PortSession* session, const char* text) {
    AppendText(session->line, sizeof session->line, text);
}

void AddNumberToLine(PortSession* session, unsigned long number) {
    AppendNumber(session->line, sizeof session->line, number);
}

void MarkFailed(PortSession* session) {
    if (session->result == kPortTestPassed)
        session->result = kPortTestFailed;
}

int StopRequested(const PortSession& session) {
    return session.control->stop != nullptr && *session.control->stop != 0;
}

// Waits in short steps, so that Stop and Close answer within a twentieth of a second.
void PauseOrStop(const PortSession& session, unsigned long ms) {
    for (unsigned long waited = 0; waited < ms && !StopRequested(session); waited += 50)
        CommPause(50);
}

int OpenTestedPort(PortSession* session, const char* name) {
    unsigned long error = 0;
    int opened = CommOpen(name, &session->port, &error);
    // Windows 95 refuses a port no device answers for at the open; Wine opens a name mapped to
    // nothing and fails the first comm call. Either way no serial port is there.
    if (opened == kCommOpened && CommReadSettings(&session->port, &session->settings) != 0) {
        CommClose(&session->port);
        opened = kCommAbsent;
    }
    switch (opened) {
        case kCommOpened:
            StartLine(session, kOpenFreeText);
            break;
        case kCommBusy:
            StartLine(session, kOpenBusyText);
            session->result = kPortTestBusy;
            break;
        case kCommAbsent:
            StartLine(session, kOpenAbsentText);
            session->result = kPortTestAbsent;
            break;
        default:
            StartLine(session, kOpenErrorText);
            AddNumberToLine(session, error);
            session->result = kPortTestAbsent;
            break;
    }
    ReportLine(session);
    return opened == kCommOpened;
}

void PutBackPort(PortSession* session) {
    int error = CommRestore(&session->port);
    CommClose(&session->port);
    if (error == 0) {
        StartLine(session, kPutBackText);
    } else {
        StartLine(session, kNotPutBackText);
        AddNumberToLine(session, static_cast<unsigned long>(error));
        MarkFailed(session);
    }
    ReportLine(session);
}

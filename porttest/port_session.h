// porttest/port_session.h: what the port test and Identify share: opening a port for a test,
// reporting a line, and putting the port back.
#ifndef KORVALIN_PORTTEST_PORT_SESSION_H
#define KORVALIN_PORTTEST_PORT_SESSION_H

#include "platform/comm_port.h"
#include "porttest/port_test.h"

struct PortSession {
    const PortTestControl* control;
    CommPort port;
    CommSettings settings;  // as Windows held them at the open
    int result;             // a PortTestResult
    char line[kPortTestLineSize];
};

// Hands the front end one line made from `format` (see port_test_texts.h).
void Say(PortSession* session, const char* format, const char* text = "", unsigned long n = 0,
         unsigned long m = 0);
// Marks the run as failed, unless something worse is already known.
void MarkFailed(PortSession* session);
int StopRequested(const PortSession& session);
void PauseOrStop(const PortSession& session, unsigned long ms);

// Opens `name`, reads and keeps its settings, and reports the open's line. 1: open, go on;
// 0: session->result says why not (nothing was sent).
int OpenTestedPort(PortSession* session, const char* name);
// Puts the settings and output lines back, closes the port and reports it.
void PutBackPort(PortSession* session);

#endif

// portcheck/port_session.h: what the port test, Identify and the watch share: opening a port,
// reporting a line, counting, moving bytes in slices that Stop can cut, and putting the port
// back; and the checks the test runs.
#ifndef KORVALIN_PORTCHECK_PORT_SESSION_H
#define KORVALIN_PORTCHECK_PORT_SESSION_H

#include <stddef.h>

#include "platform/comm_port.h"
#include "portcheck/port_check.h"

enum {
    kSliceMs = 200,  // the longest one read or write waits: Stop is looked at between them
};

struct PortSession {
    const PortTestControl* control;
    CommPort port;
    CommSettings settings;  // as Windows held them at the open
    int result;             // a PortTestResult
    // The run under way, 0 outside the runs. From the second on, passes are not said and every
    // other line names its run.
    unsigned long run;
    PortTestCounts* counts;  // the test's; null for Identify and the watch
    char line[kPortTestLineSize];
};

// Hands the front end one line made from `format` (see port_check_texts.h).
void Say(PortSession* session, const char* format, const char* text = "", unsigned long n = 0,
         unsigned long m = 0);
// A check's line: `outcome` is kPortTestPassed for a pass (not said after the first run), else
// kPortTestNotFullyTested or kPortTestFailed, which the result takes on.
void Report(PortSession* session, int outcome, const char* format, const char* text = "",
            unsigned long n = 0, unsigned long m = 0);
// Worsens the result to `outcome`, unless something worse is already known; a failure in a run
// is kept as the first failed run when it is.
void Mark(PortSession* session, int outcome);
inline void MarkFailed(PortSession* session) {
    Mark(session, kPortTestFailed);
}
int StopRequested(const PortSession& session);
void PauseOrStop(const PortSession& session, unsigned long ms);
// Reads the inputs and counts the lines that changed since `before`, while the outputs held
// still. 0 when they could not be read.
int CountInputChanges(PortSession* session, unsigned before);
// Writes (`write` 1) or reads `size` bytes, one call of at most kSliceMs at a time (CommPrepare
// set that), until all moved, `slices` calls were made, or Stop. Returns the error.
int MoveInSlices(PortSession* session, unsigned char* bytes, size_t size, size_t* done, int write,
                 unsigned long slices);

// Opens `name`, reads and keeps its settings, and reports the open's line. 1: open, go on;
// 0: session->result says why not (nothing was sent).
int OpenTestedPort(PortSession* session, const char* name);
// Puts the settings and output lines back, closes the port and reports it.
void PutBackPort(PortSession* session);

// --- data_check.cpp
// One run's data checks, a line for each: at the options' speeds, or at 9,600 baud and the
// fastest the port takes up to 115,200; a speed above `fastest` (what the port says it takes,
// 0 when it does not say) is skipped. *hinted: the overrun hint was given.
void CheckDataAtSpeeds(PortSession* session, const PortTestOptions& options, unsigned long fastest,
                       int* hinted);

// --- signal_check.cpp
// One run's signal check: reads each input through four states of the outputs and judges it
// by the plug's rule, a line for each.
void CheckSignals(PortSession* session, int plug);

#endif

// portcheck/watch_lines.cpp: the watch: the input lines read twenty times a second, DTR and RTS
// set as the front end asks, so that any plug or cable can be read by eye.
#include "portcheck/port_session.h"
#include "portcheck/port_check_texts.h"

namespace {

enum { kWatchMs = 50 };  // between two readings of the inputs

}  // namespace

int RunWatchLines(const char* portName, PortLines* lines, const PortTestControl& control) {
    PortSession session = {};
    session.control = &control;
    lines->read = 0;
    if (!OpenTestedPort(&session, portName))
        return session.result;
    // Every handshake off, at the port's own speed: Windows refuses to drive a line that a
    // handshake holds. Should that fail, the refusals below say what it means.
    CommPrepare(&session.port, 0, kWatchMs, kWatchMs);
    long applied = -1;  // no outputs ever match it: they are set at the start
    int toldSet = 0, toldRead = 0;
    while (!StopRequested(session)) {
        long wanted = lines->outputs;
        for (int line = kOutputDtr; wanted != applied && line <= kOutputRts; ++line) {
            int refused = CommSetOutput(&session.port, line, (wanted >> line) & 1);
            if (refused != 0 && !toldSet++)
                Say(&session, kWatchNotSetText, kOutputNames[line],
                    static_cast<unsigned long>(refused));
        }
        applied = wanted;
        unsigned inputs;
        int refused = CommReadInputs(&session.port, &inputs);
        if (refused == 0)
            lines->inputs = static_cast<long>(inputs);
        else if (!toldRead++)
            Say(&session, kWatchNotReadText, "", static_cast<unsigned long>(refused));
        lines->read = refused == 0;
        CommPause(kWatchMs);
    }
    session.result = kPortTestStopped;
    lines->read = 0;
    PutBackPort(&session);
    return session.result;
}

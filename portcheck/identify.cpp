// portcheck/identify.cpp: marks a port's connector for someone at the far end: its name once a
// second on a terminal there, and DTR and RTS blinking on a breakout box.
#include "platform/text.h"
#include "portcheck/port_session.h"
#include "portcheck/port_check_texts.h"

int RunIdentify(const char* portName, const PortTestControl& control) {
    PortSession session = {};
    session.control = &control;
    if (!OpenTestedPort(&session, portName))
        return session.result;
    // The port's own speed and framing: the terminal at the far end is set up for them. Every
    // handshake is off, or Windows would refuse to drive the lines it holds.
    char text[kPortTestLineSize];
    CopyText(text, kIdentifyNameText);
    AppendText(text, sizeof text, portName);
    int error = CommPrepare(&session.port, 0, kSliceMs, kSliceMs);
    if (error == 0)
        Say(&session, kIdentifyRunsText, text);
    AppendText(text, sizeof text, "\r\n");
    int told = 0;
    while (error == 0 && !StopRequested(session)) {
        // Lines on for half a second, off for half a second. A port without modem lines still
        // shows its name: the lines are a help, not a must, so a refusal is said once.
        for (int on = 1; on >= 0; --on) {
            for (int line = kOutputDtr; line <= kOutputRts; ++line) {
                int refused = CommSetOutput(&session.port, line, on);
                if (refused != 0 && !told++)
                    Say(&session, kIdentifyNotSetText, kOutputNames[line],
                        static_cast<unsigned long>(refused));
            }
            size_t sent;
            if (on)
                error = CommWrite(&session.port, text, TextLength(text), &sent);
            PauseOrStop(session, 500);
        }
    }
    if (error != 0) {
        Say(&session, kIdentifyNotSentText, "", static_cast<unsigned long>(error));
        MarkFailed(&session);
    } else {
        session.result = kPortTestStopped;
    }
    PutBackPort(&session);
    return session.result;
}

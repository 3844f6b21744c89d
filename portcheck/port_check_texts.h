// portcheck/port_check_texts.h: the result lines of the port test; the front ends put the port's
// name before each. In a line's format "%n" and "%m" take its two numbers, "%s" its text.
#ifndef KORVALIN_PORTCHECK_PORT_CHECK_TEXTS_H
#define KORVALIN_PORTCHECK_PORT_CHECK_TEXTS_H

inline constexpr char kOpenFreeText[] = "open: free";
// Windows 95 found the port only by its plain name: say so, for a driver that answers oddly.
inline constexpr char kOpenPlainText[] = "open: free, as %s (\\\\.\\%s found nothing)";
// A port a DOS program used stays held until its DOS window is closed: say so.
inline constexpr char kOpenBusyText[] =
    "open: busy, another program holds it (if an MS-DOS program used it, close its window)";
inline constexpr char kOpenAbsentText[] = "open: not present";
inline constexpr char kOpenErrorText[] = "open: failed, error %n";

inline constexpr char kSettingsText[] = "settings: %n baud, %m%s";
inline constexpr char kParityLetters[] = "NOEMS";
inline constexpr const char* kStopBitsTexts[] = {"1, ", "1.5, ", "2, "};
inline constexpr char kNoFlowText[] = "no flow control";
inline constexpr char kFlowText[] = " flow control";
inline constexpr const char* kFlowNames[] = {"RTS/CTS", "DTR/DSR", "XON/XOFF"};

// Lines of a later run name it: "run 7: data 9600: no data came back".
inline constexpr char kRunText[] = "run ";
inline constexpr char kNoPlugText[] = "%s: not tested: no plug";

inline constexpr char kDataPassText[] = "data %n: pass (%m bytes)";
inline constexpr char kNoDataText[] = "data %n: no data came back";
inline constexpr char kByteDiffersText[] = "data %n: byte %m differs%s";
inline constexpr char kCameBackText[] = "data %n: %m of 512 bytes came back%s";
inline constexpr char kNotSentText[] = "data %n: could not be sent, error %m";
inline constexpr char kSpeedRefusedText[] = "data %n: the port cannot be set to %n baud";
inline constexpr char kSpeedSkippedText[] = "data %n: skipped, the port takes at most %m baud";
// Once, when 9,600 baud passed and a faster speed lost bytes in the UART.
inline constexpr char kOverrunHintText[] =
    "data: overruns: a 16450 UART or FIFO off (Advanced); try a lower speed";
inline constexpr char kLineErrorsText[] = "; line errors:";
// By CommLineErrorBits.
inline constexpr const char* kLineErrorNames[] = {" framing", " overrun", " parity", " break",
                                                  " input buffer full"};

// An input's line: its name, what it did, then what the plug makes of it.
inline constexpr const char* kInputNames[] = {"CTS", "DSR", "DCD", "RI"};
// By Wiring.
inline constexpr const char* kWiringTexts[] = {
    ": follows DTR",  ": follows RTS", ": not wired",         ": stuck on",
    ": follows both", ": erratic",     ": could not be read",
};
inline constexpr char kWiringPassText[] = ": pass";
inline constexpr char kWiringFailText[] = ": fail";
// By the CommOutputLine the input must follow.
inline constexpr const char* kWiringMustTexts[] = {": fail, must follow DTR",
                                                   ": fail, must follow RTS"};
inline constexpr char kWiringUntestedText[] = ": not fully tested";
inline constexpr char kReadingsText[] = ", read ";
inline constexpr char kReadingsWithText[] = " with none/DTR/RTS/both on";

// The last lines of a test that sent data.
inline constexpr char kCountsText[] = "counts: ";
inline constexpr const char* kCountTexts[] = {" runs, ", " bytes sent, ", " back, ", " differed"};
inline constexpr char kOneRunText[] = " run, ";
inline constexpr char kLineErrorCountsText[] = "counts: line errors";
inline constexpr char kNoLineErrorsText[] = " none";
inline constexpr char kSignalChangesText[] = " signal changes";
inline constexpr char kFirstFailedText[] = "failed: run %n of %m was the first to fail";

inline constexpr char kPutBackText[] = "put back: done";
inline constexpr char kNotPutBackText[] = "put back: failed, error %n";
inline constexpr char kStoppedText[] = "stopped";
inline constexpr char kIdentifyNotSentText[] = "identify: could not be sent, error %n";
// Once, for the first line that could not be set: with a handshake on, Windows refuses it.
inline constexpr char kIdentifyNotSetText[] = "identify: %s could not be set, error %n";
inline constexpr const char* kOutputNames[] = {"DTR", "RTS"};  // by CommOutputLine
inline constexpr char kWatchNotSetText[] = "watch: %s could not be set, error %n";
inline constexpr char kWatchNotReadText[] = "watch: the inputs could not be read, error %n";
inline constexpr char kIdentifyNameText[] = "This is ";
// Said once Identify runs: what goes out, and that it goes on until stopped. Stop comes first, so
// that a narrow list shows it without scrolling.
inline constexpr char kIdentifyRunsText[] =
    "identify: until Stop, sends \"%s\" once a second and blinks DTR and RTS";

#endif

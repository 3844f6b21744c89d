// porttest/port_test_texts.h: the result lines of the port test; the front ends put the port's
// name before each. Each "%s" takes one piece of text.
#ifndef KORVALIN_PORTTEST_PORT_TEST_TEXTS_H
#define KORVALIN_PORTTEST_PORT_TEST_TEXTS_H

inline constexpr char kOpenFreeText[] = "open: free";
// A port a DOS program used stays held until its DOS window is closed, so say so.
inline constexpr char kOpenBusyText[] =
    "open: busy, another program holds it (a port an MS-DOS program used stays held until "
    "its DOS window is closed)";
inline constexpr char kOpenAbsentText[] = "open: not present";
inline constexpr char kOpenErrorText[] = "open: failed, error ";

inline constexpr char kSettingsText[] = "settings: ";
inline constexpr char kBaudWord[] = " baud, ";
inline constexpr char kParityLetters[] = "NOEMS";
inline constexpr char kNoFlowText[] = "no flow control";
inline constexpr char kFlowText[] = " flow control";
inline constexpr char kFlowAnd[] = " and ";
inline constexpr const char* kFlowNames[] = {"RTS/CTS", "DTR/DSR", "XON/XOFF"};

inline constexpr char kDataWord[] = "data ";
inline constexpr char kPassText[] = "pass";
inline constexpr char kNoDataText[] = "no data came back";
inline constexpr char kByteWord[] = "byte ";
inline constexpr char kDiffersText[] = " differs";
inline constexpr char kOnlyWord[] = "only ";
inline constexpr char kCameBackText[] = " bytes came back";
inline constexpr char kLineErrorsText[] = "; line errors:";
inline constexpr const char* kLineErrorNames[] = {" framing", " overrun", " parity", " break"};
inline constexpr char kNotSetUpText[] = "could not be set up, error ";
inline constexpr char kNotSentText[] = "could not be sent, error ";

inline constexpr char kStuckOnText[] = "stuck on";
inline constexpr char kStuckOffText[] = "stuck off";
inline constexpr char kCrossedText[] = "crossed: follows ";
inline constexpr char kNotWiredText[] = "not wired by this plug";
inline constexpr char kNotReadText[] = "could not be read";

inline constexpr char kPutBackText[] = "put back: done";
inline constexpr char kNotPutBackText[] = "put back: failed, error ";
inline constexpr char kStoppedText[] = "stopped";
inline constexpr char kIdentifyNotSentText[] = "identify: could not be sent, error ";
inline constexpr char kIdentifyText[] = "This is ";

#endif

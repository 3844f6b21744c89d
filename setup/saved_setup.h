// setup/saved_setup.h: one machine's port setup as a text file a technician can read and edit:
// /save writes it from the inventory, /apply reads it back on the next machine.
//
// The file, ANSI text with CR LF line ends, no line over 80 columns as written:
//     KORVALIN-SETUP=1
//     ; Written by korvalin on 2026-12-08 18:30
//     BOARD=Tessaline 16 Port, ID# 8E7D6C
//     PORT=1 COM11
//     PORT=2 COM12
// The first line names the format and its version. Then KEY=VALUE lines, any letter case in the
// key: BOARD starts a board (its type and ID# as its list row shows them), PORT gives the board's
// port at that place in its port order (1 for its first present port) and its name as the
// registry holds it. A line whose first character that is not a blank (nor a tab or another
// control character) is ';' is a comment; blank lines are passed over. A later version adds keys
// (a value for the port above them, say): an unknown key is refused with its line number, unless
// it starts with X-, which anyone may add.
//
// No window calls here: both builds.
#ifndef KORVALIN_SETUP_SAVED_SETUP_H
#define KORVALIN_SETUP_SAVED_SETUP_H

#include <stddef.h>
#include <stdint.h>

#include "inventory/inventory.h"
#include "platform/clock.h"
#include "platform/streams.h"
#include "portlist/tree_rows.h"

enum {
    kSetupVersion = 1,
    kSetupLineLimit = 255,        // the longest line read, line end not counted
    kSetupFileLimit = 64 * 1024,  // the largest file read, in bytes
    // A saved name kept whole, so that a refusal can show it: longer than any port name, which
    // /apply refuses.
    kSavedNameSize = 48,
    kSetupMessageSize = 160,  // a bad file's message: "line 12: ..."
};

struct SavedPort {
    int32_t place;              // 1 for the board's first present port, in its port order
    int32_t line;               // its line in the file
    char name[kSavedNameSize];  // a longer name's start
};

struct SavedBoard {
    int32_t boardType;       // a BoardType
    int32_t line;            // its BOARD line
    char id[kIdDigestSize];  // the ID# as its row shows it (FormatIdDigest)
    int32_t portCount;
    SavedPort ports[kMaxBoardPorts];  // in the file's order
};

// A setup as read: plain data, no heap; about 28 KiB, so its owner keeps it out of a stack frame.
struct SavedSetup {
    int32_t boardCount;
    SavedBoard boards[kMaxBoards];  // in the file's order
};

// --- setup_writer.cpp
// Writes every board of `inventory` that is not removed, in list order, and each present port
// with its place and portName, as above; `when` goes in the comment line. Returns 1, or 0
// when a write failed (FlushTextWriter's answer).
int WriteSavedSetup(const PortInventory& inventory, const LocalTime& when, TextWriter* out);

// --- setup_reader.cpp
// Reads a setup from `reader` a line at a time into `setup` (zeroed first), never reading past
// kSetupLineLimit + 1 characters of a line or kSetupFileLimit bytes of the file. Returns 1 when
// the whole file is a setup; 0 when it is not, with "line N: why" in `message` (`size`), N the
// file's line number of the first fault: not a setup of this version (first line, or an empty
// file), an unknown key (a line without '=' is all key), a PORT before any BOARD, a BOARD value
// that is not a type's text, its ID# label and the ID#, an ID# longer than kIdDigestSize - 1, a
// place that is not a whole number from 1 to kMaxBoardPorts (one the board lacks is the apply's
// to refuse), a place given twice on one board, a PORT without a place and a name, more boards than
// kMaxBoards, a NUL byte (a name would end at it), a line over kSetupLineLimit characters, a file
// over kSetupFileLimit bytes (CR LF counted as two). A control character counts as a blank. The
// texts are setup_texts.h's.
int ReadSavedSetup(TextReader* reader, SavedSetup* setup, char* message, size_t size);

// "line N: " then `format` with `piece` at its "%s", into `text` (`size`).
void FormatSetupLine(char* text, size_t size, int32_t line, const char* format, const char* piece);

#endif

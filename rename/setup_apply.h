// rename/setup_apply.h: giving this machine the names of a saved setup (setup/saved_setup.h):
// its boards matched to the saved ones, and the new names checked as one assignment, beside the
// one rename so that the dialog and the command line can share it.
//
// No window calls here: both builds.
#ifndef KORVALIN_RENAME_SETUP_APPLY_H
#define KORVALIN_RENAME_SETUP_APPLY_H

#include "inventory/inventory.h"
#include "setup/saved_setup.h"

// Takes one line of what the apply has to say (a match, a skipped board, a board not in the
// file, a refusal), without its line end. `context` is the caller's.
typedef void (*SetupLineSink)(void* context, const char* text);

enum SetupApplyResult {
    kSetupApplied = 0,  // the names are given (maybe none changed)
    kSetupRefused = 1,  // a board or a name was refused: every refusal was said, nothing changed
};

struct SetupApplyCounts {
    int namesChanged;   // ports whose portName the apply changed
    int boardsSkipped;  // saved boards no board here matched (with `partial` only)
    int boardsNotInFile;
};

// Matches each saved board to a board of `inventory` (not removed) of the same type: first the
// one whose ID# (FormatIdDigest, letter case ignored) is the saved one's, then, for the saved
// boards of a type no ID# matched, the boards of that type no ID# matched, in list order. A
// Standard COM Port matches by its ID# only. Each match is said, each board as its row shows it:
// "Tessaline 16 Port, ID# 14D2BE -> Tessaline 16 Port, ID# 0A11C3 (by order)" or "(by ID#)".
//
// Then each saved port gives the port at its place on the matched board (its place-th present
// port in port order) the saved name exactly as written: a single rename, no number appended or
// counted on. Only ports whose name differs (byte for byte) are renamed, and only their boards
// are marked modified. A port with no saved line keeps its name.
//
// The new names are checked as one assignment: each changed name must have at most 19
// characters, no blank and no character a DOS program cannot open (DosForbiddenCharacter), and
// must not be held (in any letter case) by a port that keeps its name, by another changed port,
// or by a device outside the list (the foreign names, read here when a name changes and they are
// not yet read; an overflow refuses every changed name, said once). So a setup that swaps two
// names applies, and a port saved under its own name never blocks itself.
//
// Refused, each said as "line N: why" with the saved line's number, in file order, and nothing
// changes (no portName, no board flag): a saved board no board here matches ("line 3:
// Tessaline 16 Port, ID# 8E7D6C: no such board here"; with `partial` it is passed over, and
// ", skipped" follows), a place the matched board does not have (as the reader says it), a
// refused name (one reason per line). Boards here that no saved board matched are said last
// ("Standard COM Port, ID# 0F: not in the file") and left alone. The texts are rename_texts.h's.
// Returns a SetupApplyResult and fills `counts` (namesChanged is 0 after a refusal). `setup` is as
// ReadSavedSetup gives it: at most kMaxBoards boards, each with at most kMaxBoardPorts ports.
int ApplySavedSetup(PortInventory& inventory, const SavedSetup& setup, int partial,
                    SetupLineSink sink, void* context, SetupApplyCounts* counts);

#endif

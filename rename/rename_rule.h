// rename/rename_rule.h: which names a rename gives, or why it is refused, over the inventory.
//
// No window calls here: the window side reads the field and shows the message, this decides.
#ifndef KORVALIN_RENAME_RENAME_RULE_H
#define KORVALIN_RENAME_RENAME_RULE_H

#include <stddef.h>

#include "inventory/inventory.h"

enum RenameOutcome {
    kRenameNothing = 0,     // empty text: nothing changed, nothing to say
    kRenameDone,            // the port (or the port and the following ones) got new names
    kRenameNameInUse,       // single rename: another port that counts has the name
    kRenameNameTooLong,     // the name would not fit a port name (19 characters)
    kRenameNumberTooLarge,  // the name's number does not fit the 32-bit counter
    kRenameTooManyNames,    // the machine holds more port names than could be read to check
};

// Large enough for any name a refusal can report: a typed text of up to 39 characters with
// its appended "1", or an 18-character prefix with a 10-digit counter.
enum { kRefusedNameSize = 48 };

struct RenameResult {
    int outcome;                         // a RenameOutcome
    char refusedName[kRefusedNameSize];  // the name the refusal is about; empty otherwise
    const char* heldName;  // name in use: the holder's spelling, when its letter case differs
                           // (in the inventory, so good until it changes); null otherwise
};

// The names a rename chooses, in the board's port order, before any is stored.
struct RenamePlan {
    int count;
    PortRecord* ports[kMaxBoardPorts];
    char names[kMaxBoardPorts][kPortNameSize];
};

// The name as a present port of a board that is not removed, or a device outside the list (the
// inventory's foreign names, once read), holds it in any letter case, or null when none does:
// Windows opens a device by its name without regard to case, so COM1 and com1 are one port.
// With a reference port, the ports of its own board numbered at or above it do not count: they
// are the ones being renamed. referencePort may be null; `inventory` is the one it belongs to.
const char* FindPortNameInUse(const PortInventory& inventory, const PortRecord* referencePort,
                              const char* name);

// Gives `port` of `inventory` the typed name (single rename), or gives it and every following
// present port of its board consecutive free names (automatic enumeration). A refusal is
// decided before anything is written: on any outcome but kRenameDone no name and no board flag
// changes. When the inventory's foreign names overflowed their table, every rename is refused.
// The foreign names count only once read: RenamePort (port_changes.h) reads them first.
// With `dryRun`, the chosen names go there and nothing is stored: the rename Apply would make.
RenameResult RenamePorts(const PortInventory& inventory, PortRecord* port, const char* typedText,
                         int autoEnumerate, RenamePlan* dryRun = nullptr);

// The first character of `name` that no DOS program can have in a device name it opens (a
// blank, a control character, or one of kDosForbiddenCharacters), or 0.
char DosForbiddenCharacter(const char* name);
enum { kShownCharacterSize = 12 };
// `c` as a message shows it: itself, or "code N" where it has no face of its own.
void ShowCharacter(char c, char shown[kShownCharacterSize]);

// The message for a refusal, cut to fit `size` (always terminated). Returns 0 for outcomes
// that have no message.
int FormatRenameRefusal(const RenameResult& result, char* text, size_t size);

#endif

// rename/setup_apply.cpp: a saved setup's boards matched to this machine's, and its names checked
// and given as one assignment (see setup_apply.h).
#include "rename/setup_apply.h"

#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"
#include "portlist/tree_rows.h"
#include "rename/rename_rule.h"
#include "rename/rename_texts.h"
#include "setup/setup_texts.h"

namespace {

enum {
    // The walks over the saved boards, in turn: match by ID#, then by order; plan every change,
    // then check and say each one against the whole plan, then store them when none was refused.
    kById,
    kByOrder,
    kPlan,
    kCheck,
    kStore,
    kLineSize = 256,  // a saved board, a board here and a remark, cut to fit
    kMaxPortNameLength = kPortNameSize - 1,
};

// Everything decided before anything is stored: about 2 KiB in the i686 build, 4 KiB in the
// x86_64 one, so it stays on the stack.
struct ApplyPlan {
    BoardRecord* here[kMaxBoards];  // per saved board: the board here it matched, or null
    const char* how[kMaxBoards];    // per saved board: how it matched, as said
    uint8_t taken[kMaxBoards];      // per board here: a saved board matched it
    // Per port slot here, board by board in port order: the saved port that changes its name,
    // or null when it keeps it.
    const SavedPort* given[kMaxBoards * kMaxBoardPorts];
};

// A name cut on reading is still longer than any port name, so it is refused as too long.
static_assert(kSavedNameSize - 1 > kMaxPortNameLength, "a cut name never fits a port name");

// Where the lines go, and what the next one ends with.
struct Teller {
    SetupLineSink sink;
    void* context;
    char tail[kRowTextSize];
};

// Says "line N: " (none for line 0), `format` with `piece` in its "%s", then the tail, which it
// empties for the next line.
void Say(Teller* teller, int32_t line, const char* format, const char* piece) {
    char text[kLineSize];
    if (line != 0)
        FormatSetupLine(text, kLineSize, line, format, piece);
    else
        FormatText(text, kLineSize, format, piece);
    AppendText(text, kLineSize, teller->tail);
    teller->tail[0] = 0;
    teller->sink(teller->context, text);
}

// Who holds the name of saved port `self` once the setup is given: the saved port that gives
// it to another port here; `self` when a port here keeps it under the name it has then (its
// old one is going) or another device has it; null when none does.
const SavedPort* FindHolder(const PortInventory& inventory, const ApplyPlan& plan,
                            const SavedPort* self) {
    int slots = inventory.boardCount * kMaxBoardPorts;
    for (int n = 0; n < slots + inventory.foreign.count; ++n) {
        const SavedPort* given = nullptr;
        const char* after;
        if (n < slots) {
            const BoardRecord& board = inventory.boards[n / kMaxBoardPorts];
            const PortRecord* port = PortInOrder(board, n % kMaxBoardPorts);
            if (board.removed || !IsPortPresent(*port))
                continue;
            given = plan.given[n];
            after = given != nullptr ? given->name : port->portName;
        } else {
            after = inventory.foreign.names[n - slots].portName;
        }
        if (given != self && EqualIgnoringCase(after, self->name))
            return given != nullptr ? given : self;
    }
    return nullptr;
}

}  // namespace

int ApplySavedSetup(PortInventory& inventory, const SavedSetup& setup, int partial,
                    SetupLineSink sink, void* context, SetupApplyCounts* counts) {
    ApplyPlan plan;
    memset(&plan, 0, sizeof plan);
    *counts = {0, 0, 0};
    Teller teller;
    teller.sink = sink;
    teller.context = context;
    char* tail = teller.tail;
    tail[0] = 0;
    char row[kRowTextSize];  // a board here as its row shows it
    int changes = 0;
    int refusals = 0;
    // Said for the first name that cannot be checked, and for no other.
    const char* overflow = kTooManyPortNamesText;
    for (int walk = kById; walk <= kStore && refusals == 0; ++walk) {
        // The other devices' names count as much as the list's own, but are read only for a
        // change, once.
        if (walk == kCheck && changes > 0)
            ReadForeignPortNames(inventory);
        changes = 0;
        for (int s = 0; s < setup.boardCount; ++s) {
            const SavedBoard& saved = setup.boards[s];
            // Each match takes the first board here of the type that no earlier match took: by
            // ID# first, letter case ignored, then, for the maker's boards, in list order.
            for (int b = 0; walk <= kByOrder && b < inventory.boardCount; ++b) {
                BoardRecord* board = &inventory.boards[b];
                char digest[kIdDigestSize];
                FormatIdDigest(board->instanceName, digest);
                if (plan.here[s] == nullptr && !plan.taken[b] && !board->removed &&
                    board->boardType == saved.boardType &&
                    (walk == kById ? EqualIgnoringCase(digest, saved.id)
                                   : BoardTypeOf(saved.boardType).makers)) {
                    plan.here[s] = board;
                    plan.how[s] = walk == kById ? kMatchedByIdText : kMatchedByOrderText;
                    plan.taken[b] = 1;
                }
            }
            BoardRecord* board = plan.here[s];
            if (walk == kCheck) {
                // The saved board as its row showed it where it was saved.
                char shown[kRowTextSize];
                const BoardTypeFacts& type = BoardTypeOf(saved.boardType);
                CopyText(shown, type.displayText);
                AppendText(shown, kRowTextSize, type.idLabel);
                AppendText(shown, kRowTextSize, saved.id);
                int32_t line = 0;
                const char* format = kBoardMatchText;
                if (board != nullptr) {
                    FormatBoardRowText(board, row);
                    FormatText(tail, kRowTextSize, plan.how[s], row);
                } else {
                    line = saved.line;
                    format = kNoBoardHereText;
                    if (partial) {
                        CopyText(tail, kBoardSkippedText);
                        ++counts->boardsSkipped;
                    } else {
                        ++refusals;
                    }
                }
                Say(&teller, line, format, shown);
            }
            for (int k = 0; walk >= kPlan && board != nullptr && k < saved.portCount; ++k) {
                const SavedPort* port = &saved.ports[k];
                const char* name = port->name;
                // The place-th present port, in port order.
                int index = 0;
                PortRecord* record;
                for (int32_t n = 0; index < kMaxBoardPorts; ++index) {
                    record = PortInOrder(*board, index);
                    if (IsPortPresent(*record) && ++n == port->place)
                        break;
                }
                const char* refusal = kSetupNoSuchPlaceText;  // as the reader says it
                const char* piece = row;
                if (index >= kMaxBoardPorts) {
                    row[0] = 0;
                    AppendNumber(row, kRowTextSize, static_cast<unsigned long>(port->place));
                } else {
                    // Byte for byte: a name that only changes its letter case is still a change
                    // the machine should see.
                    if (TextEqual(record->portName, name))
                        continue;
                    plan.given[(board - inventory.boards) * kMaxBoardPorts + index] = port;
                    ++changes;
                    if (walk == kStore) {
                        CopyText(record->portName, name);
                        board->modified = 1;
                    }
                    char bad = DosForbiddenCharacter(name);
                    const SavedPort* by;
                    piece = name;
                    refusal = nullptr;
                    if (walk != kCheck) {
                        // Planning and storing check nothing.
                    } else if (TextLength(name) > kMaxPortNameLength) {
                        refusal = kNameTooLongText;
                    } else if (bad != 0) {
                        refusal = kNameCharacterText;
                        ShowCharacter(bad, tail);
                    } else if (inventory.foreign.overflow) {
                        // A name that cannot be checked is refused once, for all of them.
                        refusal = overflow;
                        overflow = nullptr;
                    } else if ((by = FindHolder(inventory, plan, port)) != nullptr) {
                        refusal = kNameInUseText;
                        if (by != port) {
                            refusal = kNameGivenTwiceText;
                            AppendNumber(tail, kRowTextSize, static_cast<unsigned long>(by->line));
                        }
                    }
                }
                if (walk == kCheck && refusal != nullptr) {
                    ++refusals;
                    Say(&teller, port->line, refusal, piece);
                }
            }
        }
        for (int b = 0; walk == kCheck && b < inventory.boardCount; ++b) {
            if (plan.taken[b] || inventory.boards[b].removed)
                continue;
            FormatBoardRowText(&inventory.boards[b], row);
            Say(&teller, 0, kNotInFileText, row);
            ++counts->boardsNotInFile;
        }
    }

    if (refusals == 0)
        counts->namesChanged = changes;
    return refusals == 0 ? kSetupApplied : kSetupRefused;
}

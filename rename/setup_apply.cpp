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
    kById = 1,
    kByOrder = 2,
    kLineSize = 256,  // a saved board, a board here and a remark, cut to fit
    kMaxPortNameLength = kPortNameSize - 1,
};

// Everything decided before anything is stored, in indices rather than pointers: about 1.6 KiB,
// so it stays on the stack in both builds. Zero is "none" throughout, so 1 + an index is kept.
struct ApplyPlan {
    uint8_t here[kMaxBoards];   // per saved board: 1 + the index of the board here it matched
    uint8_t how[kMaxBoards];    // per saved board: kById or kByOrder
    uint8_t taken[kMaxBoards];  // per board here: a saved board matched it
    uint8_t place[kMaxBoards][kMaxBoardPorts];  // per saved port: 1 + its port order index here
    // Per port here, by board and port order index: 1 + its saved port's Ref when its name
    // changes; 0 when it keeps its name.
    uint16_t change[kMaxBoards][kMaxBoardPorts];
};

// A name cut on reading is still longer than any port name, so it is refused as too long.
static_assert(kSavedNameSize - 1 > kMaxPortNameLength, "a cut name never fits a port name");

int Ref(int savedBoard, int savedPort) {
    return savedBoard * kMaxBoardPorts + savedPort;
}

const SavedPort& SavedPortOf(const SavedSetup& setup, int ref) {
    return setup.boards[ref / kMaxBoardPorts].ports[ref % kMaxBoardPorts];
}

// The saved boards in file order, first by ID# and then, for the maker's boards, by order: each
// pass takes the first board here that fits and that no earlier match took.
void MatchBoards(const PortInventory& inventory, const SavedSetup& setup, ApplyPlan* plan) {
    for (int pass = kById; pass <= kByOrder; ++pass) {
        for (int s = 0; s < setup.boardCount; ++s) {
            const SavedBoard& saved = setup.boards[s];
            if (plan->here[s] != 0 || (pass == kByOrder && !BoardTypeOf(saved.boardType).makers))
                continue;
            for (int b = 0; b < inventory.boardCount; ++b) {
                const BoardRecord& board = inventory.boards[b];
                if (plan->taken[b] || board.removed || board.boardType != saved.boardType)
                    continue;
                char digest[kIdDigestSize];
                FormatIdDigest(board.instanceName, digest);
                if (pass == kById && !EqualIgnoringCase(digest, saved.id))
                    continue;
                plan->here[s] = static_cast<uint8_t>(b + 1);
                plan->how[s] = static_cast<uint8_t>(pass);
                plan->taken[b] = 1;
                break;
            }
        }
    }
}

// 1 + the port order index of the board's place-th present port, or 0 when it has none.
int PlaceIndex(const BoardRecord& board, int32_t place) {
    int index = NextPortIndex(board, 0);
    for (int32_t n = 1; index < kMaxBoardPorts; ++n, index = NextPortIndex(board, index + 1)) {
        if (n == place)
            return index + 1;
    }
    return 0;
}

// One line of what the apply says, built piece by piece, and where it goes.
struct Teller {
    SetupLineSink sink;
    void* context;
    char line[kLineSize];
};

void Add(Teller* teller, const char* piece) {
    AppendText(teller->line, kLineSize, piece);
}

void AddNumber(Teller* teller, int32_t number) {
    AppendNumber(teller->line, kLineSize, static_cast<unsigned long>(number));
}

// A new line: "line N: " for a saved line's refusal, empty for number 0.
void Start(Teller* teller, int32_t number) {
    teller->line[0] = 0;
    if (number == 0)
        return;
    Add(teller, kSetupLinePrefix);
    AddNumber(teller, number);
    Add(teller, ": ");
}

void Say(Teller* teller) {
    if (teller->sink != nullptr)
        teller->sink(teller->context, teller->line);
}

// The saved board as its row showed it on the machine that saved it.
void AddSavedBoard(Teller* teller, const SavedBoard& saved) {
    const BoardTypeFacts& type = BoardTypeOf(saved.boardType);
    Add(teller, type.displayText);
    Add(teller, type.idLabel);
    Add(teller, saved.id);
}

void AddBoardHere(Teller* teller, const BoardRecord& board) {
    char row[kRowTextSize];
    FormatBoardRowText(&board, row);
    Add(teller, row);
}

// Who holds the name of saved port `ref` once the setup is given: a port here (under its new
// name when it changes: its old one is going), or another device; null when none does. When
// another changed port is given it, `givenLine` is that port's saved line.
const char* FindHolder(const PortInventory& inventory, const SavedSetup& setup,
                       const ApplyPlan& plan, int ref, int32_t* givenLine) {
    const char* name = SavedPortOf(setup, ref).name;
    for (int b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord& board = inventory.boards[b];
        if (board.removed)
            continue;
        for (int i = NextPortIndex(board, 0); i < kMaxBoardPorts; i = NextPortIndex(board, i + 1)) {
            int otherRef = plan.change[b][i] - 1;
            const SavedPort& given = SavedPortOf(setup, otherRef < 0 ? 0 : otherRef);
            const char* other = otherRef < 0 ? PortInOrder(board, i)->portName : given.name;
            if (otherRef != ref && EqualIgnoringCase(other, name)) {
                if (otherRef >= 0)
                    *givenLine = given.line;
                return other;
            }
        }
    }
    for (int f = 0; f < inventory.foreign.count; ++f) {
        if (EqualIgnoringCase(inventory.foreign.names[f].portName, name))
            return inventory.foreign.names[f].portName;
    }
    return nullptr;
}

// Which port each saved line names, and whether its name changes (byte for byte: a name that
// only changes its letter case is still a change the machine should see). With `store`, the
// changed names are given and their boards marked: planning again gives the same plan, as each
// port is named by one line at most. Returns how many names change.
int PlanNames(PortInventory& inventory, const SavedSetup& setup, ApplyPlan* plan, int store) {
    int changes = 0;
    for (int s = 0; s < setup.boardCount; ++s) {
        if (plan->here[s] == 0)
            continue;
        BoardRecord& board = inventory.boards[plan->here[s] - 1];
        const SavedBoard& saved = setup.boards[s];
        for (int k = 0; k < saved.portCount; ++k) {
            int place = PlaceIndex(board, saved.ports[k].place);
            plan->place[s][k] = static_cast<uint8_t>(place);
            if (place == 0)
                continue;
            PortRecord* port = PortInOrder(board, place - 1);
            if (TextEqual(port->portName, saved.ports[k].name))
                continue;
            plan->change[plan->here[s] - 1][place - 1] = static_cast<uint16_t>(Ref(s, k) + 1);
            ++changes;
            if (store) {
                CopyText(port->portName, saved.ports[k].name);
                board.modified = 1;
            }
        }
    }
    return changes;
}

// Why the changed name of saved port `ref` is refused, added to the line (1); 0 when it is
// not. The in-use checks are left out when the foreign names overflowed: that refusal is said
// once for every name.
int AddNameRefusal(const PortInventory& inventory, const SavedSetup& setup, const ApplyPlan& plan,
                   int ref, Teller* teller) {
    const char* name = SavedPortOf(setup, ref).name;
    const char* format = nullptr;
    char tail[kRowTextSize];  // after the text of `format`: a character, a line, a spelling
    tail[0] = 0;
    // Blanks first: the DOS check leaves them to its caller.
    char bad = FindCharacter(name, ' ')    ? ' '
               : FindCharacter(name, '\t') ? '\t'
                                           : DosForbiddenCharacter(name);
    int32_t givenLine = -1;
    const char* held;
    if (TextLength(name) > kMaxPortNameLength) {
        format = kNameTooLongText;
    } else if (bad != 0) {
        format = kNameCharacterText;
        ShowCharacter(bad, tail);
    } else if (!inventory.foreign.overflow &&
               (held = FindHolder(inventory, setup, plan, ref, &givenLine)) != nullptr) {
        if (givenLine >= 0) {
            format = kNameGivenTwiceText;
            AppendNumber(tail, sizeof tail, static_cast<unsigned long>(givenLine));
        } else {
            format = kNameInUseText;
            // The holder's spelling is said only when it differs.
            if (!TextEqual(held, name))
                FormatText(tail, sizeof tail, kNameHeldInOtherCaseText, held);
        }
    }
    if (format == nullptr)
        return 0;
    size_t used = TextLength(teller->line);
    FormatText(teller->line + used, kLineSize - used, format, name);
    Add(teller, tail);
    return 1;
}

}  // namespace

int ApplySavedSetup(PortInventory& inventory, const SavedSetup& setup, int partial,
                    SetupLineSink sink, void* context, SetupApplyCounts* counts) {
    ApplyPlan plan;
    memset(&plan, 0, sizeof plan);
    MatchBoards(inventory, setup, &plan);

    int changes = PlanNames(inventory, setup, &plan, 0);
    if (changes > 0)
        ReadForeignPortNames(inventory);  // once: they count as much as the list's own

    // Said in file order, each refusal on its own line; nothing is stored until all are heard.
    SetupApplyCounts tally = {0, 0, 0};
    int refusals = 0;
    int overflowSaid = 0;
    Teller teller = {sink, context, {}};
    Teller* t = &teller;
    for (int s = 0; s < setup.boardCount; ++s) {
        const SavedBoard& saved = setup.boards[s];
        int here = plan.here[s] - 1;
        if (here < 0) {
            Start(t, saved.line);
            AddSavedBoard(t, saved);
            Add(t, kNoBoardHereText);
            if (partial) {
                Add(t, kBoardSkippedText);
                ++tally.boardsSkipped;
            } else {
                ++refusals;
            }
            Say(t);
            continue;
        }
        Start(t, 0);
        AddSavedBoard(t, saved);
        Add(t, kBoardMatchText);
        AddBoardHere(t, inventory.boards[here]);
        Add(t, plan.how[s] == kById ? kMatchedByIdText : kMatchedByOrderText);
        Say(t);

        for (int k = 0; k < saved.portCount; ++k) {
            const SavedPort& port = saved.ports[k];
            int place = plan.place[s][k];
            Start(t, port.line);
            if (place == 0) {
                Add(t, kNoSuchPlaceText);
                AddNumber(t, port.place);
            } else if (plan.change[here][place - 1] == 0) {
                continue;
            } else if (!AddNameRefusal(inventory, setup, plan, Ref(s, k), t)) {
                // A name that cannot be checked is refused once, for all of them.
                if (!inventory.foreign.overflow || overflowSaid)
                    continue;
                overflowSaid = 1;
                Add(t, kTooManyPortNamesText);
            }
            ++refusals;
            Say(t);
        }
    }

    for (int b = 0; b < inventory.boardCount; ++b) {
        if (plan.taken[b] || inventory.boards[b].removed)
            continue;
        Start(t, 0);
        AddBoardHere(t, inventory.boards[b]);
        Add(t, kNotInFileText);
        Say(t);
        ++tally.boardsNotInFile;
    }

    if (refusals == 0)
        tally.namesChanged = PlanNames(inventory, setup, &plan, 1);
    if (counts != nullptr)
        *counts = tally;
    return refusals == 0 ? kSetupApplied : kSetupRefused;
}

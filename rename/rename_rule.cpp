// rename/rename_rule.cpp: the name clash test, automatic enumeration and the refusals.
#include "rename/rename_rule.h"

#include <stdint.h>
#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"
#include "rename/rename_texts.h"

namespace {

enum {
    kMaxPortNameLength = kPortNameSize - 1,
    kCandidateSize = kMaxPortNameLength + 12,  // a prefix that fits, and any 32-bit counter
};

int IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An outcome with the name a refusal is about ("" when there is none). Filled field by field:
// an initialised copy would put a template of it into the program's data.
RenameResult ResultOf(int outcome, const char* name) {
    RenameResult result;
    result.outcome = outcome;
    result.refusedName[0] = 0;
    result.heldName = nullptr;
    AppendText(result.refusedName, sizeof result.refusedName, name);
    return result;
}

// prefix followed by the counter in plain decimal.
void FormCandidate(const char* prefix, size_t prefixLength, uint32_t counter,
                   char candidate[kCandidateSize]) {
    memcpy(candidate, prefix, prefixLength);
    candidate[prefixLength] = 0;
    AppendNumber(candidate, kCandidateSize, counter);
}

}  // namespace

const char* FindPortNameInUse(const PortInventory& inventory, const PortRecord* referencePort,
                              const char* name) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord* board = &inventory.boards[b];
        if (board->removed)
            continue;
        int ownBoard = referencePort != nullptr && referencePort->owningBoard == board;
        for (const PortRecord* slot : PortsOf(*board)) {
            if (ownBoard && slot->portNumber >= referencePort->portNumber)
                continue;
            if (EqualIgnoringCase(slot->portName, name))
                return slot->portName;
        }
    }
    for (int i = 0; i < inventory.foreign.count; ++i) {
        if (EqualIgnoringCase(inventory.foreign.names[i].portName, name))
            return inventory.foreign.names[i].portName;
    }
    return nullptr;
}

RenameResult RenamePorts(const PortInventory& inventory, PortRecord* port, const char* typedText,
                         int autoEnumerate, RenamePlan* dryRun) {
    size_t length = TextLength(typedText);
    if (port == nullptr || length == 0)
        return ResultOf(kRenameNothing, "");
    // A name not recorded could be one of them: never guessed.
    if (inventory.foreign.overflow)
        return ResultOf(kRenameTooManyNames, "");

    // The name always ends in a number: PORT is taken as PORT1, in both modes. A name that
    // would not fit is refused whole rather than cut, since a cut name is one nobody typed.
    int appendOne = !IsDigit(typedText[length - 1]);
    if (length + appendOne > kMaxPortNameLength) {
        char shown[kRefusedNameSize];
        shown[0] = 0;
        AppendText(shown, sizeof shown - 1, typedText);
        if (appendOne)
            AppendText(shown, sizeof shown, "1");
        return ResultOf(kRenameNameTooLong, shown);
    }
    char name[kPortNameSize];
    CopyText(name, typedText);
    if (appendOne) {
        name[length++] = '1';
        name[length] = 0;
    }

    // Every name is chosen before any is written, so a refusal part-way leaves the board as
    // it was, and a dry run is the very rename Apply would make.
    RenamePlan ownPlan;
    RenamePlan* plan = dryRun != nullptr ? dryRun : &ownPlan;
    plan->count = 0;
    BoardRecord* board = port->owningBoard;
    if (!autoEnumerate) {
        const char* held = FindPortNameInUse(inventory, nullptr, name);
        if (held != nullptr) {
            RenameResult refused = ResultOf(kRenameNameInUse, name);
            if (!TextEqual(held, name))
                refused.heldName = held;
            return refused;
        }
        plan->ports[0] = port;
        CopyText(plan->names[0], name);
        plan->count = 1;
    } else {
        // Split off the trailing number; leading zeros carry no weight (COM007 counts from 7).
        size_t prefixLength = length;
        while (prefixLength > 0 && IsDigit(name[prefixLength - 1]))
            --prefixLength;
        int64_t counter = 0;
        for (size_t i = prefixLength; i < length; ++i) {
            counter = counter * 10 + (name[i] - '0');
            if (counter > INT32_MAX)
                return ResultOf(kRenameNumberTooLarge, name);
        }

        // The clash test leaves out exactly the ports being renamed, so choosing first gives
        // the same names as writing each one as it is chosen.
        for (PortRecord* slot : PortsOf(*board)) {
            if (slot->portNumber < port->portNumber)
                continue;
            char candidate[kCandidateSize];
            do {
                // The counter is at most one past INT32_MAX here, which still forms a
                // candidate to show in the refusal.
                FormCandidate(name, prefixLength, static_cast<uint32_t>(counter), candidate);
                if (counter > INT32_MAX)
                    return ResultOf(kRenameNumberTooLarge, candidate);
                ++counter;
                if (TextLength(candidate) > kMaxPortNameLength)
                    return ResultOf(kRenameNameTooLong, candidate);
            } while (FindPortNameInUse(inventory, port, candidate) != nullptr);
            plan->ports[plan->count] = slot;
            CopyText(plan->names[plan->count++], candidate);
        }
    }
    if (dryRun == nullptr) {
        for (int i = 0; i < plan->count; ++i)
            CopyText(plan->ports[i]->portName, plan->names[i]);
        board->modified = 1;
    }
    return ResultOf(kRenameDone, "");
}

char DosForbiddenCharacter(const char* name) {
    for (const char* c = name; *c != 0; ++c) {
        unsigned char u = static_cast<unsigned char>(*c);
        if (u <= ' ' || u == 0x7f || FindCharacter(kDosForbiddenCharacters, *c))
            return *c;
    }
    return 0;
}

void ShowCharacter(char c, char shown[kShownCharacterSize]) {
    shown[0] = 0;
    unsigned char u = static_cast<unsigned char>(c);
    if (u > ' ' && u != 0x7f) {
        shown[0] = c;
        shown[1] = 0;
    } else {
        AppendText(shown, kShownCharacterSize, "code ");
        AppendNumber(shown, kShownCharacterSize, u);
    }
}

int FormatRenameRefusal(const RenameResult& result, char* text, size_t size) {
    const char* format;
    switch (result.outcome) {
        case kRenameNameInUse:
            format = kNameInUseText;
            break;
        case kRenameNameTooLong:
            format = kNameTooLongText;
            break;
        case kRenameNumberTooLarge:
            format = kNumberTooLargeText;
            break;
        case kRenameTooManyNames:
            format = kTooManyPortNamesText;
            break;
        default:
            return 0;
    }
    // Filled in rather than formatted: nothing can write past `size`, and a '%' in the refused
    // name is only text.
    FormatText(text, size, format, result.refusedName);
    if (result.heldName != nullptr) {
        size_t used = TextLength(text);
        FormatText(text + used, size - used, kNameHeldInOtherCaseText, result.heldName);
    }
    return 1;
}

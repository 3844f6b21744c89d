// rename/rename_rule.cpp: the name clash test, automatic enumeration and the refusals.
#include "rename/rename_rule.h"

#include <stdint.h>
#include <string.h>

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

int IsPortNameInUseIn(const PortInventory& inventory, const PortRecord* referencePort,
                      const char* name) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord* board = &inventory.boards[b];
        if (board->removed)
            continue;
        int ownBoard = referencePort != nullptr && referencePort->owningBoard == board;
        for (const PortRecord* slot : PortsOf(*board)) {
            if (ownBoard && slot->portNumber >= referencePort->portNumber)
                continue;
            if (TextEqual(slot->portName, name))
                return 1;
        }
    }
    for (int i = 0; i < inventory.foreign.count; ++i) {
        if (TextEqual(inventory.foreign.names[i].portName, name))
            return 1;
    }
    return 0;
}

RenameResult RenamePorts(const PortInventory& inventory, PortRecord* port, const char* typedText,
                         int autoEnumerate) {
    RenameResult done = ResultOf(kRenameDone, "");
    size_t length = TextLength(typedText);
    if (port == nullptr || length == 0) {
        done.outcome = kRenameNothing;
        return done;
    }
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

    BoardRecord* board = port->owningBoard;
    if (!autoEnumerate) {
        if (IsPortNameInUseIn(inventory, nullptr, name))
            return ResultOf(kRenameNameInUse, name);
        CopyText(port->portName, name);
        board->modified = 1;
        return done;
    }

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

    // Every name is chosen before any is written, so a refusal part-way leaves the board as
    // it was. The clash test leaves out exactly the ports being renamed, so choosing first
    // gives the same names as writing each one as it is chosen.
    PortRecord* renamed[kMaxBoardPorts];
    char names[kMaxBoardPorts][kPortNameSize];
    int count = 0;
    for (PortRecord* slot : PortsOf(*board)) {
        if (slot->portNumber < port->portNumber)
            continue;
        char candidate[kCandidateSize];
        do {
            // The counter is at most one past INT32_MAX here, which still forms a candidate
            // to show in the refusal.
            FormCandidate(name, prefixLength, static_cast<uint32_t>(counter), candidate);
            if (counter > INT32_MAX)
                return ResultOf(kRenameNumberTooLarge, candidate);
            ++counter;
            if (TextLength(candidate) > kMaxPortNameLength)
                return ResultOf(kRenameNameTooLong, candidate);
        } while (IsPortNameInUseIn(inventory, port, candidate));
        renamed[count] = slot;
        CopyText(names[count], candidate);
        ++count;
    }
    for (int i = 0; i < count; ++i)
        CopyText(renamed[i]->portName, names[i]);
    board->modified = 1;
    return done;
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
    return 1;
}

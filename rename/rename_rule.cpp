// rename/rename_rule.cpp: the name clash test, automatic enumeration and the refusals.
#include "rename/rename_rule.h"

#include <stdint.h>
#include <string.h>

#include "app/texts.h"
#include "platform/text.h"

namespace {

enum {
    kBoardSlots = kMaxDirectPorts + kChildCount * kChildPorts,
    kMaxPortNameLength = kPortNameSize - 1,
    kCandidateSize = kMaxPortNameLength + 12,  // a prefix that fits, and any 32-bit counter
};

// The board's slots in port order: direct slots first, then the child ports with the slot
// in the outer loop and the child in the inner one (the order the list shows them in).
PortRecord* SlotInPortOrder(BoardRecord* board, int index) {
    if (index < kMaxDirectPorts)
        return &board->ports[index];
    index -= kMaxDirectPorts;
    return &board->childGroups[index % kChildCount].ports[index / kChildCount];
}

const PortRecord* SlotInPortOrder(const BoardRecord* board, int index) {
    return SlotInPortOrder(const_cast<BoardRecord*>(board), index);
}

int IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void CopyBounded(char* to, const char* from, size_t size) {
    size_t length = TextLength(from);
    if (length >= size)
        length = size - 1;
    memcpy(to, from, length);
    to[length] = 0;
}

RenameResult Refuse(int outcome, const char* name) {
    RenameResult result;
    result.outcome = outcome;
    CopyBounded(result.refusedName, name, sizeof result.refusedName);
    return result;
}

// prefix followed by the counter in plain decimal.
void FormCandidate(const char* prefix, size_t prefixLength, uint32_t counter,
                   char candidate[kCandidateSize]) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + counter % 10);
        counter /= 10;
    } while (counter != 0);
    memcpy(candidate, prefix, prefixLength);
    char* out = candidate + prefixLength;
    while (count > 0)
        *out++ = digits[--count];
    *out = 0;
}

}  // namespace

int IsPortNameInUse(const PortRecord* referencePort, const char* name) {
    return IsPortNameInUseIn(g_inventory, referencePort, name);
}

int IsPortNameInUseIn(const PortInventory& inventory, const PortRecord* referencePort,
                      const char* name) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord* board = &inventory.boards[b];
        if (board->removed)
            continue;
        int ownBoard = referencePort != nullptr && referencePort->owningBoard == board;
        for (int i = 0; i < kBoardSlots; ++i) {
            const PortRecord* slot = SlotInPortOrder(board, i);
            if (slot->itemKind != kPortItem)
                continue;
            if (ownBoard && slot->portNumber >= referencePort->portNumber)
                continue;
            if (TextEqual(slot->portName, name))
                return 1;
        }
    }
    return 0;
}

RenameResult RenamePorts(PortRecord* port, const char* typedText, int autoEnumerate) {
    return RenamePortsIn(g_inventory, port, typedText, autoEnumerate);
}

RenameResult RenamePortsIn(const PortInventory& inventory, PortRecord* port, const char* typedText,
                           int autoEnumerate) {
    RenameResult done = {kRenameDone, ""};
    size_t length = TextLength(typedText);
    if (port == nullptr || length == 0) {
        done.outcome = kRenameNothing;
        return done;
    }

    // The name always ends in a number: PORT is taken as PORT1, in both modes. A name that
    // would not fit is refused whole rather than cut, since a cut name is one nobody typed.
    int appendOne = !IsDigit(typedText[length - 1]);
    if (length + appendOne > kMaxPortNameLength) {
        char shown[kRefusedNameSize];
        CopyBounded(shown, typedText, sizeof shown - 1);
        if (appendOne)
            AppendText(shown, sizeof shown, "1");
        return Refuse(kRenameNameTooLong, shown);
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
            return Refuse(kRenameNameInUse, name);
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
            return Refuse(kRenameNumberTooLarge, name);
    }

    // Every name is chosen before any is written, so a refusal part-way leaves the board as
    // it was. The clash test leaves out exactly the ports being renamed, so choosing first
    // gives the same names as writing each one as it is chosen.
    PortRecord* renamed[kBoardSlots];
    char names[kBoardSlots][kPortNameSize];
    int count = 0;
    for (int i = 0; i < kBoardSlots; ++i) {
        PortRecord* slot = SlotInPortOrder(board, i);
        if (slot->itemKind != kPortItem || slot->portNumber < port->portNumber)
            continue;
        char candidate[kCandidateSize];
        do {
            // The counter is at most one past INT32_MAX here, which still forms a candidate
            // to show in the refusal.
            FormCandidate(name, prefixLength, static_cast<uint32_t>(counter), candidate);
            if (counter > INT32_MAX)
                return Refuse(kRenameNumberTooLarge, candidate);
            ++counter;
            if (TextLength(candidate) > kMaxPortNameLength)
                return Refuse(kRenameNameTooLong, candidate);
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
        default:
            return 0;
    }
    // Filled in rather than formatted: nothing can write past `size`, and a '%' in the refused
    // name is only text.
    FormatText(text, size, format, result.refusedName);
    return 1;
}

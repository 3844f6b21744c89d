// portlist/row_text.cpp: the texts of board and port rows, and a board's ID digest.
#include "portlist/tree_rows.h"

#include "platform/text.h"

const char* BoardTypeText(int32_t boardType) {
    switch (boardType) {
        case kBoardMarrowlink:
            return "Marrowlink M1/M2";
        case kBoardMarrowlinkPnp:
            return "Marrowlink PnP M1/M2";
        case kBoardTessaline48:
        case 3:  // the other 4/8 port model; no walk produces it today
            return "Tessaline 4/8 Port";
        case kBoardTessaline16:
            return "Tessaline 16 Port";
        case kBoardStandardCom:
            return "Standard COM Port";
        default:
            return "";
    }
}

void FormatIdDigest(const char* instanceName, char digest[kIdDigestSize]) {
    int length = static_cast<int>(TextLength(instanceName));
    digest[0] = '\0';
    if (length < 2) {
        return;
    }
    if (length <= 5) {
        AppendText(digest, kIdDigestSize, instanceName);
        return;
    }
    // Pairs back to front from just before the last two characters, at most three of them:
    // enough to tell boards of one type apart while the row stays short.
    int pairs = length / 2 - 1;
    if (pairs > 3) {
        pairs = 3;
    }
    int out = 0;
    for (int i = 0; i < pairs; ++i) {
        int first = length - 4 - 2 * i;
        digest[out++] = instanceName[first];
        digest[out++] = instanceName[first + 1];
    }
    digest[out] = '\0';
}

void FormatBoardRowText(const BoardRecord* board, char text[kRowTextSize]) {
    char digest[kIdDigestSize];
    FormatIdDigest(board->instanceName, digest);
    text[0] = '\0';
    AppendText(text, kRowTextSize, BoardTypeText(board->boardType));
    AppendText(text, kRowTextSize, ", ID# ");
    AppendText(text, kRowTextSize, digest);
}

void FormatPortRowText(const PortRecord* port, char text[kRowTextSize]) {
    const BoardRecord* board = port->owningBoard;
    text[0] = '\0';
    // Legacy and standard ports have no position on a card worth numbering.
    if (board != nullptr &&
        (board->boardType == kBoardMarrowlink || board->boardType == kBoardStandardCom)) {
        AppendText(text, kRowTextSize, "Port Name -> ");
    } else {
        AppendText(text, kRowTextSize, "Port ");
        AppendNumber(text, kRowTextSize, port->portNumber);
        AppendText(text, kRowTextSize, " -> ");
    }
    AppendText(text, kRowTextSize, port->portName);
}

// portlist/row_text.cpp: the texts of board and port rows, and a board's ID digest.
#include "portlist/tree_rows.h"

#include "platform/text.h"

void FormatIdDigest(const char* instanceName, char digest[kIdDigestSize]) {
    int length = static_cast<int>(TextLength(instanceName));
    digest[0] = '\0';
    if (length < 2) {
        return;
    }
    if (length <= 5) {
        CopyText(digest, instanceName);
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
    const BoardTypeFacts& type = BoardTypeOf(board->boardType);
    CopyText(text, type.displayText);  // a type's text is far shorter than a row
    AppendText(text, kRowTextSize, type.idLabel);
    AppendText(text, kRowTextSize, digest);
}

void FormatPortRowText(const PortRecord* port, char text[kRowTextSize]) {
    const BoardRecord* board = port->owningBoard;
    text[0] = '\0';
    if (board != nullptr && !BoardTypeOf(board->boardType).numberedPorts) {
        AppendText(text, kRowTextSize, "Port Name -> ");
    } else {
        AppendText(text, kRowTextSize, "Port ");
        AppendNumber(text, kRowTextSize, port->portNumber);
        AppendText(text, kRowTextSize, " -> ");
    }
    AppendText(text, kRowTextSize, port->portName);
}

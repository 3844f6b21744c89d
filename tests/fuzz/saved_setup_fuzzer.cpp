// tests/fuzz/saved_setup_fuzzer.cpp: any bytes as a saved setup file. It is read, or refused
// with "line N: " (N from 1); what is read has each board's places in range and distinct.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "platform/text.h"
#include "setup/saved_setup.h"

namespace {

SavedSetup g_setup;

void Check(bool good) {
    if (!good)
        abort();
}

void CheckRefusal(const char* message) {
    Check(TextBeginsWith(message, "line ") && message[5] >= '1' && message[5] <= '9');
    const char* after = message + 5;
    while (*after >= '0' && *after <= '9')
        ++after;
    Check(TextBeginsWith(after, ": "));
}

void CheckSetup(const SavedSetup& setup) {
    Check(setup.boardCount >= 0 && setup.boardCount <= kMaxBoards);
    for (int32_t b = 0; b < setup.boardCount; ++b) {
        const SavedBoard& board = setup.boards[b];
        const BoardTypeFacts& type = BoardTypeOf(board.boardType);
        Check(board.boardType >= 0 && board.boardType < kBoardTypeCount && *type.displayText);
        Check(board.line >= 2 && memchr(board.id, 0, sizeof board.id) != nullptr);
        int32_t most = kMaxBoardPorts;  // a place the board's type lacks is the apply's to refuse
        Check(board.portCount >= 0 && board.portCount <= most);
        for (int32_t p = 0; p < board.portCount; ++p) {
            const SavedPort& port = board.ports[p];
            Check(port.place >= 1 && port.place <= most && port.line > board.line);
            Check(port.name[0] != 0 && memchr(port.name, 0, sizeof port.name) != nullptr);
            for (int32_t q = 0; q < p; ++q)
                Check(board.ports[q].place != port.place);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextReader reader;
    OpenTextReaderOnMemory(&reader, reinterpret_cast<const char*>(data), size);
    char message[kSetupMessageSize];
    memset(message, 'x', sizeof message);
    if (ReadSavedSetup(&reader, &g_setup, message, sizeof message)) {
        Check(message[0] == 0);
        CheckSetup(g_setup);
    } else {
        Check(memchr(message, 0, sizeof message) != nullptr);
        CheckRefusal(message);
    }
    return 0;
}

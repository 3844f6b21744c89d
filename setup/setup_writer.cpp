// setup/setup_writer.cpp: /save's file: every listed board with its ports' places and names.
#include <string.h>

#include "platform/text.h"
#include "setup/saved_setup.h"
#include "setup/setup_texts.h"

namespace {

// Writes "KEY=" and `value` as one line.
void WriteKeyLine(TextWriter* out, const char* key, const char* value) {
    WriteText(out, key);
    WriteText(out, "=");
    WriteText(out, value);
    WriteText(out, "\n");
}

}  // namespace

int WriteSavedSetup(const PortInventory& inventory, const LocalTime& when, TextWriter* out) {
    WriteText(out, kSetupVersionLine);

    // The date and time into the comment's zeros, minute first, from the last zero back.
    char text[kRowTextSize];
    CopyText(text, kSetupWrittenText);
    char* digit = text + sizeof kSetupWrittenText - 3;  // before the line end and terminator
    uint16_t fields[5];                                 // year, month, day, hour, minute
    static_assert(sizeof fields == sizeof when, "LocalTime is its five fields");
    memcpy(fields, &when, sizeof fields);
    for (int f = 4; f >= 0; --f) {
        for (unsigned value = fields[f]; *digit == '0'; --digit, value /= 10)
            *digit = static_cast<char>('0' + value % 10);
        --digit;  // the mark between two fields
    }
    WriteText(out, text);

    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        // The walk over its ports changes nothing.
        BoardRecord* board = const_cast<BoardRecord*>(&inventory.boards[b]);
        if (board->removed)
            continue;
        // The row's own text, so that a technician finds the board in the list by it.
        FormatBoardRowText(board, text);
        WriteKeyLine(out, kSetupBoardKey, text);
        // Places count the present ports only: the list's "Port N" labels repeat on child
        // slots and legacy boards show none.
        PortRecord* ports[kMaxBoardPorts];
        int32_t count = CollectPresentPorts(board, ports);
        for (int32_t p = 0; p < count; ++p) {
            // Two digits are room for every place; the first is left off below 10.
            int32_t place = p + 1;
            text[0] = static_cast<char>('0' + place / 10);
            text[1] = static_cast<char>('0' + place % 10);
            text[2] = ' ';
            CopyText(text + 3, ports[p]->portName);
            WriteKeyLine(out, kSetupPortKey, text + (place < 10));
        }
    }
    return FlushTextWriter(out);
}

// setup/setup_writer.cpp: /save's file: every listed board with its ports' places and names.
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
    WriteKeyLine(out, kSetupVersionKey, kSetupVersionText);

    // The date and time into the comment's zeros, last digit first.
    char text[kRowTextSize];
    CopyText(text, kSetupWrittenText);
    char* digit = text + TextLength(text) - 2;  // before the line end
    const unsigned fields[] = {when.minute, when.hour, when.day, when.month, when.year};
    for (unsigned value : fields) {
        for (; *digit == '0'; --digit, value /= 10)
            *digit = static_cast<char>('0' + value % 10);
        --digit;  // the mark between two fields
    }
    WriteText(out, text);

    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord& board = inventory.boards[b];
        if (board.removed)
            continue;
        // The row's own text, so that a technician finds the board in the list by it.
        FormatBoardRowText(&board, text);
        WriteKeyLine(out, kSetupBoardKey, text);
        // Places count the present ports only: the list's "Port N" labels repeat on child
        // slots and legacy boards show none.
        unsigned place = 0;
        for (const PortRecord* port : PortsOf(board)) {
            text[0] = 0;
            AppendNumber(text, sizeof text, ++place);
            AppendText(text, sizeof text, " ");
            AppendText(text, sizeof text, port->portName);
            WriteKeyLine(out, kSetupPortKey, text);
        }
    }
    return FlushTextWriter(out);
}

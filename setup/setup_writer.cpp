// setup/setup_writer.cpp: /save's file: every listed board with its ports' places and names.
#include "platform/text.h"
#include "setup/saved_setup.h"
#include "setup/setup_texts.h"

namespace {

// `value` in decimal, at least `width` digits with zeros in front ("2026-12-08 09:05").
void AppendPadded(char* text, size_t size, unsigned value, unsigned width) {
    for (unsigned limit = 10; width > 1; --width, limit *= 10) {
        if (value < limit)
            AppendText(text, size, "0");
    }
    AppendNumber(text, size, value);
}

// Writes "KEY=" and `value` as one line.
void WriteKeyLine(TextWriter* out, const char* key, const char* value) {
    WriteText(out, key);
    WriteText(out, "=");
    WriteText(out, value);
    WriteText(out, "\n");
}

}  // namespace

int WriteSavedSetup(const PortInventory& inventory, const LocalTime& when, TextWriter* out) {
    char text[kRowTextSize];
    text[0] = 0;
    AppendNumber(text, sizeof text, kSetupVersion);
    WriteKeyLine(out, kSetupVersionKey, text);

    CopyText(text, kSetupWrittenText);
    AppendPadded(text, sizeof text, when.year, 4);
    AppendText(text, sizeof text, "-");
    AppendPadded(text, sizeof text, when.month, 2);
    AppendText(text, sizeof text, "-");
    AppendPadded(text, sizeof text, when.day, 2);
    AppendText(text, sizeof text, " ");
    AppendPadded(text, sizeof text, when.hour, 2);
    AppendText(text, sizeof text, ":");
    AppendPadded(text, sizeof text, when.minute, 2);
    AppendText(text, sizeof text, "\n");
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

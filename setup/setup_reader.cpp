// setup/setup_reader.cpp: /apply's file read back a line at a time, every fault named with its
// line.
#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"
#include "setup/saved_setup.h"
#include "setup/setup_texts.h"

namespace {

// The file as read so far: one line at a time, so the stack holds a line, not the file. Each
// step below returns null, or the text of the fault, with the piece for its "%s" (if it has
// one) in `piece`: one place then writes every message.
struct SetupFile {
    TextReader* text;
    SavedSetup* setup;
    SavedBoard* board;  // the latest board read, or null
    int32_t number;     // the line in `line`, from 1
    const char* piece;
};

// A blank, a tab, and any other control character: none shows in an editor, and a CR
// without its LF is what one left behind before a line end. NUL ends the text.
inline int IsBlank(char c) {
    return static_cast<unsigned char>(c - 1) < ' ';
}

// `text` without the blanks around it: its start, and its end cut before them.
char* Trim(char* text) {
    while (IsBlank(*text))
        ++text;
    char* end = text;  // just past the last character that is not a blank
    for (char* c = text; *c != 0; ++c) {
        if (!IsBlank(*c))
            end = c + 1;
    }
    *end = 0;
    return text;
}

// The text after `prefix` at the start of `text`, letter case aside, or null.
char* After(char* text, const char* prefix) {
    return StartsWithIgnoringCase(text, prefix) ? text + TextLength(prefix) : nullptr;
}

// BOARD=<type>, ID# <id>, the type and its label as the board's row shows them. An ID# too long
// for any row is as bad as none, and said with the same words.
const char* ReadBoardLine(SetupFile* file, char* value) {
    SavedSetup* setup = file->setup;
    if (setup->boardCount == kMaxBoards)
        return kSetupManyBoardsText;
    // A blank after it, for the one that ends the label: an editor drops a trailing blank. The
    // line has room for it.
    char* end = value + TextLength(value);
    end[0] = ' ';
    end[1] = 0;
    for (int32_t type = 0; type < kBoardTypeCount; ++type) {
        const BoardTypeFacts& facts = BoardTypeOf(type);
        char* id = After(value, facts.displayText);
        if (id == nullptr || (id = After(id, facts.idLabel)) == nullptr)
            continue;
        id = Trim(id);
        if (TextLength(id) >= kIdDigestSize)
            break;
        SavedBoard* board = file->board = &setup->boards[setup->boardCount++];
        board->boardType = type;
        board->line = file->number;
        CopyText(board->id, id);
        return nullptr;
    }
    *end = 0;  // the value as it was, for the message
    return kSetupBadBoardText;
}

// PORT=<place> <name>, for the latest board.
const char* ReadPortLine(SetupFile* file, char* value) {
    SavedBoard* board = file->board;
    if (board == nullptr)
        return kSetupPortFirstText;
    // The place's digits up to the first blank. A place that is not a whole number, or past any
    // board's slots, ends above them: no board has it. One that this board's type lacks is the
    // apply's to refuse, as it refuses one the board here lacks.
    int32_t place = 0;
    char* name = value;
    for (; *name != 0 && !IsBlank(*name); ++name) {
        int32_t digit = *name - '0';
        place = place * 10 + digit;
        if (static_cast<uint32_t>(digit) > 9 || place > kMaxBoardPorts)
            place = kMaxBoardPorts + 1;
    }
    if (*name != 0)
        *name++ = 0;
    name = Trim(name);
    if (*name == 0)
        return kSetupNoPlaceText;
    if (place < 1 || place > kMaxBoardPorts)
        return kSetupNoSuchPlaceText;
    for (int32_t p = 0; p < board->portCount; ++p) {
        if (board->ports[p].place == place)
            return kSetupTwiceText;
    }

    // Distinct places no higher than any board's slots: the table has room for every one.
    SavedPort* port = &board->ports[board->portCount++];
    port->place = place;
    port->line = file->number;
    AppendText(port->name, kSavedNameSize, name);  // the zeroed setup holds an empty name
    return nullptr;
}

// The next line, its first character `c` read already: KEY=VALUE, blanks around either passed
// over. Always inlined, and its caller never: the link-time inliner's own choice for these two
// costs the program 48 bytes more.
// `line` holds kSetupLineLimit + 2 characters: a line one character too long is seen, never more.
// Not in SetupFile, whose start would zero it.
__attribute__((always_inline)) inline const char* ReadSetupLine(SetupFile* file, char* line,
                                                                int c) {
    size_t length = 0;
    for (;; c = ReadTextCharacter(file->text)) {
        // Checked after every character, the line end's too: the limit is the file's bytes.
        if (file->text->bytesRead > kSetupFileLimit)
            return kSetupLargeFileText;
        if (c < 0 || c == '\n')
            break;
        // A NUL would end a name without a word.
        if (c == 0 || length == kSetupLineLimit)
            return kSetupBadLineText;
        // Every blank as ' ', so that the one in a board's label matches a tab too.
        line[length++] = IsBlank(static_cast<char>(c)) ? ' ' : static_cast<char>(c);
    }
    line[length] = 0;

    char* key = Trim(line);
    if (file->number == 1)  // the format and its version, exactly
        return EqualIgnoringCase(key, kSetupVersionLine) ? nullptr : kSetupNotSetupText;
    if (*key == 0 || *key == kSetupCommentStart)
        return nullptr;
    // A line without '=' is all key: "BOARD" alone is a board without its ID#.
    char* value = key;
    while (*value != 0 && *value != '=')
        ++value;
    if (*value != 0)
        *value++ = 0;
    // The piece a BOARD or PORT line's refusal shows.
    file->piece = value = Trim(value);
    Trim(key);
    if (EqualIgnoringCase(key, kSetupBoardKey))
        return ReadBoardLine(file, value);
    if (EqualIgnoringCase(key, kSetupPortKey))
        return ReadPortLine(file, value);
    file->piece = key;
    return StartsWithIgnoringCase(key, kSetupOwnKeyPrefix) ? nullptr : kSetupUnknownKeyText;
}

}  // namespace

__attribute__((noinline)) int ReadSavedSetup(TextReader* reader, SavedSetup* setup, char* message,
                                             size_t size) {
    memset(setup, 0, sizeof *setup);
    message[0] = 0;
    SetupFile file = {reader, setup, nullptr, 0, nullptr};
    char line[kSetupLineLimit + 2];
    const char* fault;
    do {
        int c = ReadTextCharacter(reader);
        if (c < 0 && file.number > 0)
            return 1;  // an empty file reads as a first line that is not the version line
        ++file.number;
        fault = ReadSetupLine(&file, line, c);
    } while (fault == nullptr);

    FormatSetupLine(message, size, file.number, fault, file.piece);
    return 0;
}

void FormatSetupLine(char* text, size_t size, int32_t line, const char* format, const char* piece) {
    CopyText(text, kSetupLinePrefix);  // every caller's text has room for it
    AppendNumber(text, size, static_cast<unsigned long>(line));
    AppendText(text, size, ": ");
    size_t used = TextLength(text);
    FormatText(text + used, size - used, format, piece);
}

// setup/setup_reader.cpp: /apply's file read back a line at a time, every fault named with its
// line.
#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"
#include "setup/saved_setup.h"
#include "setup/setup_texts.h"

namespace {

// The file as read so far: one line at a time, so the stack holds a line, not the file.
struct SetupFile {
    TextReader* text;
    int32_t number;  // the line in `line`, from 1
    char* message;
    size_t size;
    char line[kSetupLineLimit + 2];  // a line one character too long is seen, never more
};

int IsBlank(char c) {
    // A CR without its LF is what an editor left behind before a line end: a blank too.
    return c == ' ' || c == '\t' || c == '\r';
}

char* SkipBlanks(char* text) {
    while (IsBlank(*text))
        ++text;
    return text;
}

// Ends `text` before its trailing blanks.
void CutTrailingBlanks(char* text) {
    size_t length = TextLength(text);
    while (length > 0 && IsBlank(text[length - 1]))
        --length;
    text[length] = 0;
}

// "line N: " and `format` with its "%s" marks replaced by `first` and `second` into the
// message. Returns 0, what every refusal returns.
int Refuse(SetupFile* file, const char* format, const char* first = "", const char* second = "") {
    char* message = file->message;
    message[0] = 0;
    AppendText(message, file->size, kSetupLinePrefix);
    AppendNumber(message, file->size, static_cast<unsigned long>(file->number));
    AppendText(message, file->size, ": ");
    char piece[2] = {0, 0};
    for (const char* f = format; *f != 0; ++f) {
        if (f[0] == '%' && f[1] == 's') {
            AppendText(message, file->size, first);
            first = second;
            ++f;
        } else {
            piece[0] = *f;
            AppendText(message, file->size, piece);
        }
    }
    return 0;
}

// Reads the next line into file->line. 1: a line is there; 0: the file is over; -1: refused.
int ReadLine(SetupFile* file) {
    int c = ReadTextCharacter(file->text);
    if (c < 0)
        return 0;
    ++file->number;
    size_t length = 0;
    for (;; c = ReadTextCharacter(file->text)) {
        // Checked after every character, the line end's too: the limit is the file's bytes.
        const char* fault = nullptr;
        if (file->text->bytesRead > kSetupFileLimit)
            fault = kSetupLargeFileText;
        else if (c < 0 || c == '\n')
            break;
        else if (length == kSetupLineLimit)
            fault = kSetupLongLineText;
        else if (c == 0)
            fault = kSetupNulText;  // a name would end at it without a word
        if (fault != nullptr)
            return Refuse(file, fault) - 1;
        file->line[length++] = static_cast<char>(c);
    }
    file->line[length] = 0;
    return 1;
}

int IsWholeNumber(const char* text) {
    if (*text == 0)
        return 0;
    for (; *text != 0; ++text) {
        if (*text < '0' || *text > '9')
            return 0;
    }
    return 1;
}

// The first line: the format and its version, exactly.
int ReadVersionLine(SetupFile* file, const char* key, const char* value) {
    if (!EqualIgnoringCase(key, kSetupVersionKey) || !IsWholeNumber(value) || value[0] == '0')
        return Refuse(file, kSetupNotSetupText);
    return TextEqual(value, kSetupVersionText) || Refuse(file, kSetupNewerText, value);
}

// BOARD=<type>, ID# <id>: split at the last label, since a type's text may hold a comma.
int ReadBoardLine(SetupFile* file, SavedSetup* setup, char* value) {
    if (setup->boardCount == kMaxBoards)
        return Refuse(file, kSetupManyBoardsText);
    // Every row shares the label. Its trailing blank goes the way of the value's when the ID#
    // is empty.
    char label[8] = "";
    AppendText(label, sizeof label, BoardTypeOf(kBoardTypeCount).idLabel);
    CutTrailingBlanks(label);
    size_t labelLength = TextLength(label);
    char* id = nullptr;
    for (size_t at = TextLength(value); at-- > 0;) {
        char after = value[at + labelLength];
        if (StartsWithIgnoringCase(value + at, label) && (after == 0 || IsBlank(after))) {
            value[at] = 0;
            id = SkipBlanks(value + at + labelLength);
            break;
        }
    }
    if (id == nullptr)
        return Refuse(file, kSetupNoIdText);
    if (TextLength(id) >= kIdDigestSize)
        return Refuse(file, kSetupLongIdText, id);
    for (int32_t type = 0; type < kBoardTypeCount; ++type) {
        const char* text = BoardTypeOf(type).displayText;
        if (*text != 0 && EqualIgnoringCase(text, value)) {
            SavedBoard* board = &setup->boards[setup->boardCount++];
            board->boardType = type;
            board->line = file->number;
            CopyText(board->id, id);
            return 1;
        }
    }
    return Refuse(file, kSetupNoTypeText, value);
}

// PORT=<place> <name>, for the latest board.
int ReadPortLine(SetupFile* file, SavedSetup* setup, char* value) {
    if (setup->boardCount == 0)
        return Refuse(file, kSetupPortFirstText);
    if (*value == 0)
        return Refuse(file, kSetupNoPlaceText);
    char* name = value;
    while (*name != 0 && !IsBlank(*name))
        ++name;
    if (*name != 0)
        *name++ = 0;
    name = SkipBlanks(name);
    if (!IsWholeNumber(value))
        return Refuse(file, kSetupBadPlaceText, value);

    SavedBoard* board = &setup->boards[setup->boardCount - 1];
    const BoardTypeFacts& type = BoardTypeOf(board->boardType);
    int32_t most = type.portSlots == kSlotsLegacy ? 1 : kMaxBoardPorts;
    int32_t place = 0;
    for (const char* digit = value; *digit != 0 && place <= most; ++digit)
        place = place * 10 + (*digit - '0');
    if (place < 1 || place > most)
        return Refuse(file, kSetupNoSuchPlaceText, type.displayText, value);
    for (int32_t p = 0; p < board->portCount; ++p) {
        if (board->ports[p].place == place)
            return Refuse(file, kSetupTwiceText, value);
    }
    if (*name == 0)
        return Refuse(file, kSetupNoNameText, value);

    // Distinct places no higher than the board's slots: the table has room for every one.
    SavedPort* port = &board->ports[board->portCount++];
    port->place = place;
    port->line = file->number;
    size_t length = TextLength(name);
    port->nameCut = length >= kSavedNameSize;
    if (port->nameCut)
        length = kSavedNameSize - 1;
    memcpy(port->name, name, length);
    port->name[length] = 0;
    return 1;
}

// One line after the first. 1: read; 0: refused.
int ReadSetupLine(SetupFile* file, SavedSetup* setup, char* key, char* value) {
    if (EqualIgnoringCase(key, kSetupBoardKey))
        return ReadBoardLine(file, setup, value);
    if (EqualIgnoringCase(key, kSetupPortKey))
        return ReadPortLine(file, setup, value);
    if (StartsWithIgnoringCase(key, kSetupOwnKeyPrefix))
        return 1;
    return Refuse(file, kSetupUnknownKeyText, key);
}

}  // namespace

int ReadSavedSetup(TextReader* reader, SavedSetup* setup, char* message, size_t size) {
    memset(setup, 0, sizeof *setup);
    message[0] = 0;
    SetupFile file;
    file.text = reader;
    file.number = 0;
    file.message = message;
    file.size = size;
    for (;;) {
        int got = ReadLine(&file);
        if (got < 0)
            return 0;
        if (got == 0)
            break;
        char* start = SkipBlanks(file.line);
        CutTrailingBlanks(start);
        if (file.number > 1 && (*start == 0 || *start == kSetupCommentStart))
            continue;
        // KEY=VALUE, blanks around either passed over. A line without '=' is all key: "BOARD"
        // alone is a board without its ID#, anything else an unknown key.
        char* key = start;
        char* value = const_cast<char*>(FindCharacter(start, '='));
        if (value != nullptr) {
            *value = 0;
            value = SkipBlanks(value + 1);
            CutTrailingBlanks(key);
        } else {
            value = start + TextLength(start);
        }
        int good = file.number == 1 ? ReadVersionLine(&file, key, value)
                                    : ReadSetupLine(&file, setup, key, value);
        if (!good)
            return 0;
    }
    if (file.number == 0) {
        file.number = 1;  // an empty file: its first line is not the version line
        return Refuse(&file, kSetupNotSetupText);
    }
    return 1;
}

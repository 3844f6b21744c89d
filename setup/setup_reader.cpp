// setup/setup_reader.cpp: /apply's file read back a line at a time, every fault named with its
// line.
#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"
#include "setup/saved_setup.h"
#include "setup/setup_texts.h"

namespace {

// The file as read so far: one line at a time, so the stack holds a line, not the file. Each
// step below returns null, or the text of the fault with the piece for its "%s" in `first` and
// what follows it in `second`: one place then writes every message.
struct SetupFile {
    TextReader* text;
    SavedSetup* setup;
    int32_t number;  // the line in `line`, from 1
    int ended;       // 1: no line is left
    const char* first;
    const char* second;
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

int IsWholeNumber(const char* text) {
    if (*text == 0)
        return 0;
    for (; *text != 0; ++text) {
        if (*text < '0' || *text > '9')
            return 0;
    }
    return 1;
}

// The next line into file->line, or file->ended.
const char* ReadLine(SetupFile* file) {
    int c = ReadTextCharacter(file->text);
    if (c < 0) {
        file->ended = 1;
        if (file->number > 0)
            return nullptr;
        file->number = 1;  // an empty file: its first line is not the version line
        return kSetupNotSetupText;
    }
    ++file->number;
    size_t length = 0;
    for (;; c = ReadTextCharacter(file->text)) {
        // Checked after every character, the line end's too: the limit is the file's bytes.
        if (file->text->bytesRead > kSetupFileLimit)
            return kSetupLargeFileText;
        if (c < 0 || c == '\n')
            break;
        if (length == kSetupLineLimit)
            return kSetupLongLineText;
        if (c == 0)
            return kSetupNulText;  // a name would end at it without a word
        file->line[length++] = static_cast<char>(c);
    }
    file->line[length] = 0;
    return nullptr;
}

// BOARD=<type>, ID# <id>: split at the last label, since a type's text may hold a comma.
const char* ReadBoardLine(SetupFile* file, char* value) {
    SavedSetup* setup = file->setup;
    if (setup->boardCount == kMaxBoards)
        return kSetupManyBoardsText;
    // Every row shares the label. Its trailing blank goes the way of the value's when the ID#
    // is empty.
    char label[8] = "";
    AppendText(label, sizeof label, BoardTypeOf(kBoardTypeCount).idLabel);
    CutTrailingBlanks(label);
    size_t labelLength = TextLength(label);
    char* id = nullptr;
    for (size_t at = TextLength(value); id == nullptr && at-- > 0;) {
        char after = value[at + labelLength];
        if (StartsWithIgnoringCase(value + at, label) && (after == 0 || IsBlank(after))) {
            value[at] = 0;
            id = SkipBlanks(value + at + labelLength);
        }
    }
    if (id == nullptr)
        return kSetupNoIdText;
    file->first = id;
    if (TextLength(id) >= kIdDigestSize)
        return kSetupLongIdText;
    for (int32_t type = 0; type < kBoardTypeCount; ++type) {
        const char* text = BoardTypeOf(type).displayText;
        if (*text != 0 && EqualIgnoringCase(text, value)) {
            SavedBoard* board = &setup->boards[setup->boardCount++];
            board->boardType = type;
            board->line = file->number;
            CopyText(board->id, id);
            return nullptr;
        }
    }
    file->first = value;
    return kSetupNoTypeText;
}

// PORT=<place> <name>, for the latest board.
const char* ReadPortLine(SetupFile* file, char* value) {
    SavedSetup* setup = file->setup;
    if (setup->boardCount == 0)
        return kSetupPortFirstText;
    if (*value == 0)
        return kSetupNoPlaceText;
    char* name = value;
    while (*name != 0 && !IsBlank(*name))
        ++name;
    if (*name != 0)
        *name++ = 0;
    name = SkipBlanks(name);
    file->first = value;
    if (!IsWholeNumber(value))
        return kSetupBadPlaceText;

    SavedBoard* board = &setup->boards[setup->boardCount - 1];
    const BoardTypeFacts& type = BoardTypeOf(board->boardType);
    int32_t most = type.portSlots == kSlotsLegacy ? 1 : kMaxBoardPorts;
    int32_t place = 0;
    for (const char* digit = value; *digit != 0 && place <= most; ++digit)
        place = place * 10 + (*digit - '0');
    if (place < 1 || place > most) {
        file->first = type.displayText;
        file->second = value;
        return kSetupNoSuchPlaceText;
    }
    for (int32_t p = 0; p < board->portCount; ++p) {
        if (board->ports[p].place == place)
            return kSetupTwiceText;
    }
    if (*name == 0)
        return kSetupNoNameText;

    // Distinct places no higher than the board's slots: the table has room for every one.
    SavedPort* port = &board->ports[board->portCount++];
    port->place = place;
    port->line = file->number;
    size_t length = TextLength(name);
    port->nameCut = length >= kSavedNameSize;
    if (port->nameCut)
        length = kSavedNameSize - 1;
    memcpy(port->name, name, length);
    return nullptr;  // the zeroed setup ends the name
}

// The line in file->line: KEY=VALUE, blanks around either passed over.
const char* ReadSetupLine(SetupFile* file) {
    char* key = SkipBlanks(file->line);
    CutTrailingBlanks(key);
    if (file->number > 1 && (*key == 0 || *key == kSetupCommentStart))
        return nullptr;
    // A line without '=' is all key: "BOARD" alone is a board without its ID#.
    char* value = key + TextLength(key);
    char* mark = const_cast<char*>(FindCharacter(key, '='));
    if (mark != nullptr) {
        *mark = 0;
        value = SkipBlanks(mark + 1);
        CutTrailingBlanks(key);
    }
    file->first = value;
    if (file->number == 1) {
        // The format and its version, exactly.
        if (!EqualIgnoringCase(key, kSetupVersionKey) || !IsWholeNumber(value) || *value == '0')
            return kSetupNotSetupText;
        return TextEqual(value, kSetupVersionText) ? nullptr : kSetupNewerText;
    }
    if (EqualIgnoringCase(key, kSetupBoardKey))
        return ReadBoardLine(file, value);
    if (EqualIgnoringCase(key, kSetupPortKey))
        return ReadPortLine(file, value);
    file->first = key;
    return StartsWithIgnoringCase(key, kSetupOwnKeyPrefix) ? nullptr : kSetupUnknownKeyText;
}

}  // namespace

int ReadSavedSetup(TextReader* reader, SavedSetup* setup, char* message, size_t size) {
    memset(setup, 0, sizeof *setup);
    SetupFile file;
    file.text = reader;
    file.setup = setup;
    file.number = 0;
    file.ended = 0;
    const char* fault;
    do {
        file.first = file.second = "";
        fault = ReadLine(&file);
        if (fault == nullptr && !file.ended)
            fault = ReadSetupLine(&file);
    } while (fault == nullptr && !file.ended);

    // "line N: ", the fault with `first` at its "%s", and `second` after it.
    message[0] = 0;
    if (fault == nullptr)
        return 1;
    AppendText(message, size, kSetupLinePrefix);
    AppendNumber(message, size, static_cast<unsigned long>(file.number));
    AppendText(message, size, ": ");
    size_t used = TextLength(message);
    FormatText(message + used, size - used, fault, file.first);
    AppendText(message, size, file.second);
    return 0;
}

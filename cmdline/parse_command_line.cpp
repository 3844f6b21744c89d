// cmdline/parse_command_line.cpp: the command line's words, options and values, and what the
// entry does with them.
#include <string.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "platform/ascii.h"

namespace {

// Room for the longest value kept (a file name) and a little more, so that a value one
// character too long is still seen whole and refused rather than cut.
enum { kTokenSize = kCommandPathSize + 8 };

struct Token {
    char text[kTokenSize];
    int tooLong;  // the word did not fit `text`
    int quoted;   // a quoted word is always a value, never an option
};

enum OptionId { kUsage, kList, kRename, kSingle, kRemove, kPreview, kOk, kRestart, kLog, kOptions };

const char* const kOptionNames[kOptions] = {"?",       "list", "rename",  "single", "remove",
                                            "preview", "ok",   "restart", "log"};

int IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The next word from *cursor: blanks separate words, double quotes group blanks into one and
// are dropped. Backslashes are plain characters, as in every path. Returns 0 at the end.
int NextToken(const char** cursor, Token* token) {
    const char* c = *cursor;
    while (IsBlank(*c))
        ++c;
    if (*c == 0) {
        *cursor = c;
        return 0;
    }
    size_t length = 0;
    int inQuotes = 0;
    token->tooLong = 0;
    token->quoted = 0;
    for (; *c != 0 && (inQuotes || !IsBlank(*c)); ++c) {
        if (*c == '"') {
            inQuotes = !inQuotes;
            token->quoted = 1;
        } else if (length + 1 < sizeof token->text) {
            token->text[length++] = *c;
        } else {
            token->tooLong = 1;
        }
    }
    token->text[length] = 0;
    *cursor = c;
    return 1;
}

int LooksLikeOption(const Token& token) {
    return !token.quoted && (token.text[0] == '/' || token.text[0] == '-') && token.text[1] != 0;
}

// Records the first fault only: it is the one the user meets first when reading the line.
void Fail(CommandLine* parsed, const char* format, const char* piece) {
    if (parsed->bad)
        return;
    parsed->bad = 1;
    FormatText(parsed->errorText, sizeof parsed->errorText, format, piece);
}

// Takes the next word as the option's value when there is one that is not an option itself.
int TakeValue(const char** cursor, Token* value) {
    const char* after = *cursor;
    if (!NextToken(&after, value) || LooksLikeOption(*value) || value->text[0] == 0)
        return 0;
    *cursor = after;
    return 1;
}

void TakePath(CommandLine* parsed, const char** cursor, const char* option, char* path, int* flag) {
    Token value;
    if (*flag)
        Fail(parsed, kOptionTwiceText, option);
    *flag = 1;
    if (!TakeValue(cursor, &value)) {
        Fail(parsed, kMissingValueText, option);
        return;
    }
    if (value.tooLong || TextLength(value.text) >= kCommandPathSize) {
        Fail(parsed, kValueTooLongText, value.text);
        return;
    }
    CopyText(path, value.text);
}

int IsPortNameText(const char* text, size_t length) {
    return length >= 1 && length < kPortNameSize && text[0] != 0;
}

// The next free change of the line, or null (and the line is bad) when all are taken.
CommandChange* NewChange(CommandLine* parsed, const Token& value, int kind) {
    if (parsed->changeCount >= kMaxCommandChanges) {
        Fail(parsed, kTooManyChangesText, value.text);
        return nullptr;
    }
    CommandChange* change = &parsed->changes[parsed->changeCount++];
    change->kind = kind;
    return change;
}

void AddRename(CommandLine* parsed, const Token& value) {
    const char* equals = FindCharacter(value.text, '=');
    size_t nameLength = equals != nullptr ? static_cast<size_t>(equals - value.text) : 0;
    const char* newName = equals != nullptr ? equals + 1 : "";
    // The name field takes no blanks; neither does a name given here.
    int blank = 0;
    for (const char* c = newName; *c != 0; ++c)
        blank |= static_cast<unsigned char>(*c) <= ' ';
    if (value.tooLong || !IsPortNameText(value.text, nameLength) ||
        !IsPortNameText(newName, TextLength(newName)) || blank) {
        Fail(parsed, kRenameFormText, value.text);
        return;
    }
    for (int i = 0; i < parsed->changeCount; ++i) {
        const CommandChange& earlier = parsed->changes[i];
        if (earlier.kind == kChangeRename && TextLength(earlier.name) == nameLength &&
            memcmp(earlier.name, value.text, nameLength) == 0) {
            Fail(parsed, kPortNamedTwiceText, earlier.name);
            return;
        }
    }
    if (CommandChange* change = NewChange(parsed, value, kChangeRename)) {
        memcpy(change->name, value.text, nameLength);
        change->name[nameLength] = 0;
        CopyText(change->newName, newName);
    }
}

void AddRemoval(CommandLine* parsed, const Token& value) {
    if (value.tooLong || TextLength(value.text) >= kBoardInstanceNameSize) {
        Fail(parsed, kValueTooLongText, value.text);
        return;
    }
    int all = EqualIgnoringCase(value.text, "ALL");
    for (int i = 0; i < parsed->changeCount; ++i) {
        const CommandChange& earlier = parsed->changes[i];
        if (earlier.kind != kChangeRename && EqualIgnoringCase(earlier.name, value.text)) {
            Fail(parsed, kBoardNamedTwiceText, value.text);
            return;
        }
    }
    if (CommandChange* change = NewChange(parsed, value, all ? kChangeRemoveAll : kChangeRemove))
        CopyText(change->name, value.text);
}

// /rename and /remove take one value or more: every following word that is not an option.
void TakeChanges(CommandLine* parsed, const char** cursor, const char* option, int rename) {
    Token value;
    if (!TakeValue(cursor, &value)) {
        Fail(parsed, kMissingValueText, option);
        return;
    }
    do {
        if (rename)
            AddRename(parsed, value);
        else
            AddRemoval(parsed, value);
    } while (TakeValue(cursor, &value));
}

int HasRename(const CommandLine& parsed) {
    for (int i = 0; i < parsed.changeCount; ++i)
        if (parsed.changes[i].kind == kChangeRename)
            return 1;
    return 0;
}

void CheckCombinations(CommandLine* parsed) {
    if (parsed->restart && !parsed->commit)
        Fail(parsed, kRestartWithoutOkText, "");
    if (parsed->single && !HasRename(*parsed))
        Fail(parsed, kSingleWithoutRenameText, "");
    if (parsed->preview && parsed->commit)
        Fail(parsed, kPreviewWithOkText, "");
    if (parsed->list && (parsed->changeCount > 0 || parsed->single || parsed->preview ||
                         parsed->commit || parsed->restart))
        Fail(parsed, kListWithChangesText, "");
}

}  // namespace

void ParseCommandLine(const char* text, CommandLine* parsed) {
    memset(parsed, 0, sizeof *parsed);
    const char* cursor = text != nullptr ? text : "";
    Token token;
    while (NextToken(&cursor, &token)) {
        parsed->hasArguments = 1;
        int option = kOptions;
        if (LooksLikeOption(token)) {
            for (int i = 0; i < kOptions; ++i)
                if (EqualIgnoringCase(token.text + 1, kOptionNames[i]))
                    option = i;
        } else {
            Fail(parsed, kUnexpectedArgumentText, token.text);
            continue;
        }
        int* flag = nullptr;
        switch (option) {
            case kUsage:
                parsed->showUsage = 1;
                break;
            case kList:
                TakePath(parsed, &cursor, token.text, parsed->listPath, &parsed->list);
                break;
            case kPreview:
                TakePath(parsed, &cursor, token.text, parsed->previewPath, &parsed->preview);
                break;
            case kLog:
                TakePath(parsed, &cursor, token.text, parsed->logPath, &parsed->log);
                break;
            case kRename:
            case kRemove:
                TakeChanges(parsed, &cursor, token.text, option == kRename);
                break;
            case kSingle:
                flag = &parsed->single;
                break;
            case kOk:
                flag = &parsed->commit;
                break;
            case kRestart:
                flag = &parsed->restart;
                break;
            default:
                Fail(parsed, kUnknownOptionText, token.text);
                break;
        }
        if (flag != nullptr) {
            if (*flag)
                Fail(parsed, kOptionTwiceText, token.text);
            *flag = 1;
        }
    }
    CheckCombinations(parsed);
}

CommandRun CommandRunOf(const CommandLine& parsed) {
    if (!parsed.hasArguments)
        return kRunPlainDialog;
    int unattended = parsed.list || parsed.preview || parsed.commit;
    if (parsed.showUsage)
        return parsed.log && parsed.logPath[0] != 0 ? kRunUnattended : kRunUsageBox;
    if (parsed.bad)
        return unattended ? kRunUnattended : kRunBadCommandBox;
    if (unattended)
        return kRunUnattended;
    return parsed.changeCount > 0 ? kRunDialogWithChanges : kRunPlainDialog;
}

// cmdline/parse_command_line.cpp: the command line's options and values, and what the
// entry does with them.
#include <stdint.h>
#include <string.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "cmdline/command_words.h"
#include "platform/ascii.h"
#include "portcheck/port_check.h"
#include "rename/rename_rule.h"

namespace {

enum OptionId {
    kUsage,
    kList,
    kRename,
    kSingle,
    kRemove,
    kPreview,
    kOk,
    kRestart,
    kLog,
    kSave,
    kApply,
    kPartial,
    kTest,
    kPlug,  // /plug, /speed and /repeat in this order: CommandLine::testOptionGiven's
    kSpeed,
    kRepeat,
    kOptions
};

const char* const kOptionNames[kOptions] = {
    "?",   "list", "rename", "single",  "remove", "preview", "ok",    "restart",
    "log", "save", "apply",  "partial", "test",   "plug",    "speed", "repeat"};

// /speed's range: 50 baud is the slowest rate a PC's UART divisor was ever set for, 115,200 the
// fastest (divisor 1); whether a port takes a speed between is the test's to find and say.
const unsigned long kSlowestSpeed = 50, kFastestSpeed = 115200;
static_assert(kPortTestMaxSpeeds == 8 && kPortTestMaxRuns == 9999, "as the messages say");

int LooksLikeOption(const Token& token) {
    return !token.quoted && (token.text[0] == '/' || token.text[0] == '-') && token.text[1] != 0;
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
    if (*flag) {
        // The first file named keeps the messages: the one the user looks in first.
        Fail(parsed, kOptionTwiceText, option);
        TakeValue(cursor, &value);
        return;
    }
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
        blank |= *c == ' ' || *c == '\t';
    if (value.tooLong || !IsPortNameText(value.text, nameLength) ||
        !IsPortNameText(newName, TextLength(newName)) || blank) {
        Fail(parsed, kRenameFormText, value.text);
        return;
    }
    if (char forbidden = DosForbiddenCharacter(newName)) {
        char shown[kShownCharacterSize];
        ShowCharacter(forbidden, shown);
        if (Fail(parsed, kRenameCharacterText, value.text))
            AppendText(parsed->errorText, sizeof parsed->errorText, shown);
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

// Windows opens a port by its name in any letter case: com5 is COM5 tested again.
int IsTestPortNamed(const CommandLine& parsed, const char* name) {
    for (int i = 0; i < parsed.testCount; ++i)
        if (EqualIgnoringCase(parsed.testNames[i], name))
            return 1;
    return 0;
}

// /test takes one port name or more, or ALL.
void TakeTestPorts(CommandLine* parsed, const char** cursor, const char* option) {
    Token value;
    parsed->test = 1;
    if (!TakeValue(cursor, &value)) {
        Fail(parsed, kMissingValueText, option);
        return;
    }
    do {
        if (value.tooLong || TextLength(value.text) >= kPortNameSize)
            Fail(parsed, kValueTooLongText, value.text);
        else if (parsed->testCount >= kMaxTestPorts)
            Fail(parsed, kTooManyTestPortsText, value.text);
        else if (IsTestPortNamed(*parsed, value.text))
            Fail(parsed, kPortNamedTwiceText, value.text);
        else
            CopyText(parsed->testNames[parsed->testCount++], value.text);
    } while (TakeValue(cursor, &value));
}

// Takes the value of an option that is given once and takes one word (/plug, /speed, /repeat).
// 0 when the line is bad for want of it, or for the option given again.
int TakeOnce(CommandLine* parsed, const char** cursor, const char* option, int* given,
             Token* value) {
    int twice = *given;
    *given = 1;
    if (!TakeValue(cursor, value)) {
        Fail(parsed, kMissingValueText, option);
        return 0;
    }
    if (twice) {
        Fail(parsed, kOptionTwiceText, option);
        return 0;
    }
    return 1;
}

void TakePlug(CommandLine* parsed, const Token& value) {
    for (int plug = 0; plug < kPlugKinds; ++plug) {
        if (EqualIgnoringCase(value.text, kPlugNames[plug].commandWord)) {
            parsed->plug = plug;
            return;
        }
    }
    Fail(parsed, kPlugValueText, value.text);
}

// "9600,57600": whole numbers from `least` (1 or more) to `most`, commas between, at most `room`
// of them, in the order given. Returns how many, or 0 when the word is anything else.
int TakeNumbers(const Token& value, unsigned long least, unsigned long most, unsigned long* numbers,
                int room) {
    unsigned long number = 0;
    int count = 0;
    for (const char* c = value.text; !value.tooLong; ++c) {
        if (*c >= '0' && *c <= '9' && number <= most) {
            number = number * 10 + static_cast<unsigned long>(*c - '0');
            continue;
        }
        // An empty item is 0, below `least`.
        if ((*c != ',' && *c != 0) || number < least || number > most || count == room)
            return 0;
        numbers[count++] = number;
        number = 0;
        if (*c == 0)
            return count;
    }
    return 0;
}

// What an option needs beside it, in the order the line is checked: it cannot go with any of
// `excluded`, and needs one of `needed` (when there are some). `text` may name the option.
struct Combination {
    uint8_t option;
    uint16_t excluded;
    uint16_t needed;
    const char* text;
};

static_assert(kOptions <= 16, "every option has a bit of a combination's");

constexpr uint32_t Bit(int option) {
    return 1u << option;
}

// Options that change names or say how: none goes with a /list, /save or /test, which change
// nothing, nor with /apply, whose file names every port it gives a name.
constexpr uint32_t kChanging = Bit(kRename) | Bit(kRemove) | Bit(kSingle);
constexpr uint32_t kCommitting = Bit(kPreview) | Bit(kOk) | Bit(kRestart);

const Combination kCombinations[] = {
    {kRestart, 0, Bit(kOk), kRestartWithoutOkText},
    {kSingle, 0, Bit(kRename), kSingleWithoutRenameText},
    {kPreview, Bit(kOk), 0, kPreviewWithOkText},
    {kList, kChanging | kCommitting, 0, kListWithChangesText},
    {kSave, kChanging | kCommitting | Bit(kList) | Bit(kApply), 0, kSaveWithOthersText},
    {kApply, kChanging | Bit(kList), 0, kApplyWithChangesText},
    {kApply, 0, Bit(kPreview) | Bit(kOk), kApplyNeedsPreviewOrOkText},
    {kPartial, 0, Bit(kApply), kPartialWithoutApplyText},
    {kTest, kChanging | kCommitting | Bit(kList) | Bit(kSave) | Bit(kApply) | Bit(kPartial), 0,
     kTestWithOthersText},
    // Named as the usage names them, however the line spelled them.
    {kPlug, 0, Bit(kTest), kNeedsTestText},
    {kSpeed, 0, Bit(kTest), kNeedsTestText},
    {kRepeat, 0, Bit(kTest), kNeedsTestText},
};

void CheckCombinations(CommandLine* parsed) {
    uint32_t given = parsed->optionsGiven;
    for (const Combination& rule : kCombinations) {
        if ((given & Bit(rule.option)) &&
            ((given & rule.excluded) || (rule.needed != 0 && !(given & rule.needed))))
            Fail(parsed, rule.text, kOptionNames[rule.option]);
    }
}

}  // namespace

int MayHaveBeenCut(const char* text, int dosLimited) {
    return dosLimited && text != nullptr && TextLength(text) >= kDosCutArguments;
}

void ParseCommandLine(const char* text, CommandLine* parsed, int dosLimited) {
    memset(parsed, 0, sizeof *parsed);
    // Nothing on such a line counts, not even a file it names: its last word may be the cut end
    // of a longer one. So nothing is read, and no log is known to take the message.
    if (MayHaveBeenCut(text, dosLimited)) {
        parsed->hasArguments = 1;
        parsed->log = 1;  // it may name one, and none is known: /log would not have helped
        Fail(parsed, kMayBeCutText, "");
        return;
    }
    char expanded[kArgumentFileSize + kCommandPathSize * 4];
    ExpandArgumentFiles(text != nullptr ? text : "", parsed, expanded, sizeof expanded);
    const char* cursor = expanded;
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
        Token value;
        parsed->optionsGiven |= Bit(option);  // kOptions's bit for an unknown one: never asked
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
            case kSave:
                TakePath(parsed, &cursor, token.text, parsed->savePath, &parsed->save);
                break;
            case kApply:
                TakePath(parsed, &cursor, token.text, parsed->applyPath, &parsed->apply);
                break;
            case kPartial:
                flag = &parsed->partial;
                break;
            case kRename:
            case kRemove:
                TakeChanges(parsed, &cursor, token.text, option == kRename);
                break;
            case kTest:
                TakeTestPorts(parsed, &cursor, token.text);
                break;
            case kPlug:
            case kSpeed:
            case kRepeat:
                if (!TakeOnce(parsed, &cursor, token.text, &parsed->testOptionGiven[option - kPlug],
                              &value))
                    break;
                if (option == kPlug) {
                    TakePlug(parsed, value);
                } else {
                    PortTestOptions& options = parsed->testOptions;
                    unsigned long runs;
                    int taken;
                    if (option == kSpeed)
                        taken = options.speedCount =
                            TakeNumbers(value, kSlowestSpeed, kFastestSpeed, options.speeds,
                                        kPortTestMaxSpeeds);
                    else if ((taken = TakeNumbers(value, 1, kPortTestMaxRuns, &runs, 1)) != 0)
                        options.runs = static_cast<unsigned>(runs);
                    if (!taken)
                        Fail(parsed, kNumbersValueText, value.text);
                }
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
    int unattended = parsed.list || parsed.preview || parsed.commit || parsed.test || parsed.save;
    // A batch file never waits on a box: with a log named, only the dialog a valid line asks for
    // is shown.
    int logged = parsed.log && parsed.logPath[0] != 0;
    if (parsed.showUsage)
        return logged ? kRunUnattended : kRunUsageBox;
    if (parsed.bad)
        return logged ? kRunUnattended : kRunBadCommandBox;
    if (unattended)
        return kRunUnattended;
    return parsed.changeCount > 0 ? kRunDialogWithChanges : kRunPlainDialog;
}

// cmdline/parse_command_line.cpp: the command line's options and values, and what the
// entry does with them.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "cmdline/command_words.h"
#include "platform/ascii.h"
#include "portcheck/port_check.h"
#include "rename/rename_rule.h"

namespace {

// The options that set a flag come first, in the order of CommandLine's flags from showUsage
// on, and those of them that name a file in the order of its paths: the option is the flag's
// index, and the path's after kList's.
enum OptionId {
    kUsage,
    kSingle,
    kOk,
    kRestart,
    kList,
    kPreview,
    kLog,
    kSave,
    kApply,
    kPartial,
    kTest,
    kRename,
    kRemove,
    kPlug,
    kSpeed,
    kRepeat,
    kOptions
};

const char* const kOptionNames[kOptions] = {
    "?",     "single",  "ok",   "restart", "list",   "preview", "log",   "save",
    "apply", "partial", "test", "rename",  "remove", "plug",    "speed", "repeat"};

#define FLAG_AT(option, flag) \
    offsetof(CommandLine, flag) == offsetof(CommandLine, showUsage) + (option) * sizeof(int)
static_assert(FLAG_AT(kSingle, single) && FLAG_AT(kOk, commit) && FLAG_AT(kRestart, restart) &&
                  FLAG_AT(kList, list) && FLAG_AT(kPreview, preview) && FLAG_AT(kLog, log) &&
                  FLAG_AT(kSave, save) && FLAG_AT(kApply, apply) && FLAG_AT(kPartial, partial) &&
                  FLAG_AT(kTest, test),
              "an option's flag is found by its number");
#undef FLAG_AT
static_assert(offsetof(CommandLine, applyPath) ==
                  offsetof(CommandLine, listPath) + (kApply - kList) * kCommandPathSize,
              "a file's path is found by its option's number");

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

// Windows opens a port by its name in any letter case: com5 is COM5 tested again.
int IsTestPortNamed(const CommandLine& parsed, const char* name) {
    for (int i = 0; i < parsed.testCount; ++i)
        if (EqualIgnoringCase(parsed.testNames[i], name))
            return 1;
    return 0;
}

// /test's ports: names, or ALL.
void AddTestPort(CommandLine* parsed, const Token& value) {
    if (value.tooLong || TextLength(value.text) >= kPortNameSize)
        Fail(parsed, kValueTooLongText, value.text);
    else if (parsed->testCount >= kMaxTestPorts)
        Fail(parsed, kTooManyTestPortsText, value.text);
    else if (IsTestPortNamed(*parsed, value.text))
        Fail(parsed, kPortNamedTwiceText, value.text);
    else
        CopyText(parsed->testNames[parsed->testCount++], value.text);
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

// Options given twice make the line bad; /?, /rename, /remove and /test may be repeated.
constexpr uint32_t kGivenOnce = ~(Bit(kUsage) | Bit(kRename) | Bit(kRemove) | Bit(kTest));
constexpr uint32_t kTakingValues = Bit(kList) | Bit(kPreview) | Bit(kLog) | Bit(kSave) |
                                   Bit(kApply) | Bit(kTest) | Bit(kRename) | Bit(kRemove) |
                                   Bit(kPlug) | Bit(kSpeed) | Bit(kRepeat);

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
        if (!LooksLikeOption(token)) {
            Fail(parsed, kUnexpectedArgumentText, token.text);
            continue;
        }
        int option = kOptions;
        for (int i = 0; i < kOptions; ++i)
            if (EqualIgnoringCase(token.text + 1, kOptionNames[i]))
                option = i;
        if (option == kOptions) {
            Fail(parsed, kUnknownOptionText, token.text);
            continue;
        }
        uint32_t bit = Bit(option);
        int twice = parsed->optionsGiven & bit & kGivenOnce;
        parsed->optionsGiven |= bit;
        char* base = reinterpret_cast<char*>(parsed);
        if (option <= kTest)
            *reinterpret_cast<int*>(base + offsetof(CommandLine, showUsage) +
                                    option * sizeof(int)) = 1;
        Token value;
        if ((bit & kTakingValues) && !TakeValue(&cursor, &value)) {
            Fail(parsed, kMissingValueText, token.text);
            continue;
        }
        // The value given first stays: the first log named keeps the messages.
        if (twice) {
            Fail(parsed, kOptionTwiceText, token.text);
            continue;
        }
        if (option >= kList && option <= kApply) {
            if (value.tooLong || TextLength(value.text) >= kCommandPathSize)
                Fail(parsed, kValueTooLongText, value.text);
            else
                CopyText(
                    base + offsetof(CommandLine, listPath) + (option - kList) * kCommandPathSize,
                    value.text);
        } else if (option == kPlug) {
            TakePlug(parsed, value);
        } else if (option >= kSpeed) {
            PortTestOptions& options = parsed->testOptions;
            unsigned long runs;
            int taken;
            if (option == kSpeed)
                taken = options.speedCount = TakeNumbers(value, kSlowestSpeed, kFastestSpeed,
                                                         options.speeds, kPortTestMaxSpeeds);
            else if ((taken = TakeNumbers(value, 1, kPortTestMaxRuns, &runs, 1)) != 0)
                options.runs = static_cast<unsigned>(runs);
            if (!taken)
                Fail(parsed, kNumbersValueText, value.text);
        } else if (bit & kTakingValues) {
            // /rename, /remove and /test take one value or more: every following word that is
            // not an option.
            do {
                if (option == kRename)
                    AddRename(parsed, value);
                else if (option == kRemove)
                    AddRemoval(parsed, value);
                else
                    AddTestPort(parsed, value);
            } while (TakeValue(&cursor, &value));
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

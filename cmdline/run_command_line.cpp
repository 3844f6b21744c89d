// cmdline/run_command_line.cpp: the unattended run: its files, the walks, the changes, then the
// listing, the preview or the commit, and the messages that say how it went.
#include <string.h>

#include "app/texts.h"
#include "cmdline/command_line.h"

namespace {

const char kStandardOutputName[] = "-";

FILE* OpenOutput(const char* path, FILE* standardOutput) {
    if (strcmp(path, kStandardOutputName) == 0)
        return standardOutput;
    return fopen(path, "w");
}

// Closes what OpenOutput opened; standard output stays open, flushed. Returns 0 when the
// stream had failed a write or could not be closed cleanly.
int CloseOutput(FILE* stream, FILE* standardOutput) {
    if (stream == nullptr)
        return 1;
    int good = !ferror(stream);
    if (stream == standardOutput)
        return fflush(stream) == 0 && good;
    return fclose(stream) == 0 && good;
}

int ListInventory(const CommandOutputs& outputs, const char* path) {
    char message[kCommandMessageSize];
    int boards, ports;
    if (!WriteInventoryListing(g_inventory, outputs.result, &boards, &ports)) {
        FormatMessageText(message, sizeof message, kCannotWriteText, path);
        WriteLogLine(outputs, message);
        return kExitNotCompleted;
    }
    char counts[40] = "";
    AppendNumber(counts, sizeof counts, boards);
    AppendText(counts, sizeof counts, " boards, ");
    AppendNumber(counts, sizeof counts, ports);
    AppendText(counts, sizeof counts, " ports");
    FormatMessageText(message, sizeof message, kListedText, counts);
    WriteLogLine(outputs, message);
    return kExitDone;
}

// Everything after the log is open. The result file is opened before anything else happens,
// so a name that cannot be written stops the run before the registry is touched.
int RunWithLog(const CommandLine& parsed, CommandOutputs* outputs, const char** resultPath) {
    if (parsed.showUsage) {
        WriteLogLine(*outputs, kUsageText);
        return kExitDone;
    }
    if (parsed.bad) {
        WriteLogLine(*outputs, parsed.errorText);
        return kExitBadCommandLine;
    }
    char message[kCommandMessageSize];
    *resultPath = parsed.list ? parsed.listPath : parsed.preview ? parsed.previewPath : nullptr;
    if (*resultPath != nullptr) {
        // One file named twice is written through one stream, not two that overwrite each other.
        if (outputs->log != nullptr && strcmp(*resultPath, parsed.logPath) == 0)
            outputs->result = outputs->log;
        else
            outputs->result = OpenOutput(*resultPath, outputs->standardOutput);
        if (outputs->result == nullptr) {
            FormatMessageText(message, sizeof message, kCannotWriteText, *resultPath);
            WriteLogLine(*outputs, message);
            return kExitBadCommandLine;
        }
    }

    // A walk that stopped early leaves an inventory that is not the machine's; nothing is
    // listed or changed from it.
    if (!BuildPortInventory()) {
        WriteLogLine(*outputs, kRegistryIncompleteText);
        return kExitNotCompleted;
    }
    int code = ApplyCommandChanges(parsed, g_inventory, message, sizeof message);
    if (code != kExitDone) {
        WriteLogLine(*outputs, message);
        return code;
    }
    if (parsed.list)
        return ListInventory(*outputs, *resultPath);
    if (parsed.preview)
        return RunUnattendedPreview(parsed, g_inventory, *outputs);
    return RunUnattendedCommit(parsed, g_inventory, *outputs);
}

}  // namespace

void AppendNumber(char* text, size_t size, int number) {
    char digits[12];
    int count = 0;
    unsigned value = number < 0 ? 0u : static_cast<unsigned>(number);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    size_t used = strlen(text);
    while (count > 0 && used + 1 < size)
        text[used++] = digits[--count];
    text[used] = 0;
}

void AppendText(char* text, size_t size, const char* piece) {
    size_t used = strlen(text);
    while (*piece != 0 && used + 1 < size)
        text[used++] = *piece++;
    text[used] = 0;
}

void FormatMessageText(char* text, size_t size, const char* format, const char* piece) {
    if (size == 0)
        return;
    text[0] = 0;
    const char* mark = strstr(format, "%s");
    if (mark == nullptr) {
        AppendText(text, size, format);
        return;
    }
    size_t before = static_cast<size_t>(mark - format);
    if (before >= size)
        before = size - 1;
    memcpy(text, format, before);
    text[before] = 0;
    AppendText(text, size, piece);
    AppendText(text, size, mark + 2);
}

void WriteLogLine(const CommandOutputs& outputs, const char* text) {
    if (outputs.log == nullptr)
        return;
    fputs(text, outputs.log);
    fputs("\n", outputs.log);
}

int RunUnattended(const CommandLine& parsed, FILE* standardOutput) {
    CommandOutputs outputs = {nullptr, nullptr, standardOutput};
    if (parsed.log && parsed.logPath[0] != 0) {
        outputs.log = OpenOutput(parsed.logPath, standardOutput);
        // Without its log an unattended run could not tell anyone what it did: it does nothing.
        if (outputs.log == nullptr)
            return kExitBadCommandLine;
    }
    const char* resultPath = nullptr;
    int code = RunWithLog(parsed, &outputs, &resultPath);
    if (outputs.result != outputs.log && !CloseOutput(outputs.result, standardOutput) &&
        code == kExitDone) {
        char message[kCommandMessageSize];
        FormatMessageText(message, sizeof message, kCannotWriteText, resultPath);
        WriteLogLine(outputs, message);
        code = kExitNotCompleted;
    }
    CloseOutput(outputs.log, standardOutput);
    return code;
}

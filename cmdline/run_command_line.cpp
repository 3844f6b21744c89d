// cmdline/run_command_line.cpp: the unattended run: its files, the walks, the changes, then the
// listing, the preview or the commit, and the messages that say how it went.
#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"

namespace {

const char kStandardOutputName[] = "-";

// Without a log, the usage gathers in the message a box shows, after the line that names it.
static_assert(sizeof kUsageText + sizeof kLogNotWrittenText + kCommandPathSize <=
                  kUnattendedMessageSize,
              "usage fits");

// The command line's own boards and ports; the dialog keeps its own. The setup /apply reads is
// kept beside it, too large for a stack frame.
PortInventory commandInventory;
SavedSetup commandSetup;

// The log's last line, by exit code (and kResultRestartingText once /restart was taken).
const char* const kResultTexts[] = {
    kResultDoneText,         kResultBadCommandText, kResultRefusedText,
    kResultNotCompletedText, kResultRestartText,    kResultCheckFailedText,
    kResultPortBusyText,     kResultPortAbsentText, kResultNotFullyTestedText};
static_assert(sizeof kResultTexts / sizeof *kResultTexts == kExitCodeLimit, "a line per code");

// Opens `writer` on the file `path` names, or on standard output for "-". 1: open.
int OpenOutput(TextWriter* writer, const char* path, PlatformFile* standardOutput) {
    if (!TextEqual(path, kStandardOutputName))
        return OpenTextWriter(writer, path);
    OpenTextWriterOn(writer, standardOutput);
    return standardOutput != nullptr;
}

// Closes what OpenOutput opened (standard output stays open). 0 when a write had failed or
// the file could not be closed cleanly.
int CloseOutput(TextWriter* writer) {
    return writer == nullptr || CloseTextWriter(writer);
}

// /list and /save: the file written from the walks' inventory, and a line that says so.
int WriteResult(const CommandLine& parsed, const CommandOutputs& outputs, const char* path) {
    const char* format = kSavedText;
    const char* piece = path;
    char counts[40] = "";
    int written;
    if (parsed.save) {
        LocalTime now;
        ReadLocalTime(&now);
        written = WriteSavedSetup(commandInventory, now, outputs.result);
    } else {
        int boards, ports;
        ReadForeignPortNames(commandInventory);
        written = WriteInventoryListing(commandInventory, outputs.result, &boards, &ports);
        AppendNumber(counts, sizeof counts, boards);
        AppendText(counts, sizeof counts, " boards, ");
        AppendNumber(counts, sizeof counts, ports);
        AppendText(counts, sizeof counts, " ports");
        format = kListedText;
        piece = counts;
    }
    if (!written) {
        format = kCannotWriteText;
        piece = path;
    }
    WriteLogMessage(outputs, format, piece);
    return written ? kExitDone : kExitNotCompleted;
}

// Everything after the log is open. The result file is opened before anything else happens,
// so a name that cannot be written stops the run before the registry is touched.
int RunWithLog(const CommandLine& parsed, CommandOutputs* outputs, TextWriter* resultWriter,
               const char** resultPath) {
    if (parsed.showUsage) {
        WriteLogLine(*outputs, kUsageText);
        return kExitDone;
    }
    if (parsed.bad) {
        WriteLogLine(*outputs, parsed.errorText);
        return kExitBadCommandLine;
    }
    char message[kCommandMessageSize];
    *resultPath = parsed.list      ? parsed.listPath
                  : parsed.preview ? parsed.previewPath
                  : parsed.save    ? parsed.savePath
                                   : nullptr;
    if (*resultPath != nullptr) {
        // One file named twice is written through one writer, not two that overwrite each other.
        if (outputs->log != nullptr && TextEqual(*resultPath, parsed.logPath))
            outputs->result = outputs->log;
        else if (OpenOutput(resultWriter, *resultPath, outputs->standardOutput))
            outputs->result = resultWriter;
        if (outputs->result == nullptr) {
            WriteLogMessage(*outputs, kCannotWriteText, *resultPath);
            return kExitBadCommandLine;
        }
    }

    // A setup that is not one is a bad line, found before the registry is read.
    if (parsed.apply && !ReadCommandSetup(parsed, &commandSetup, *outputs))
        return kExitBadCommandLine;

    // A walk that stopped early leaves an inventory that is not the machine's; nothing is
    // listed or changed from it.
    ResetInventory(commandInventory);
    if (!BuildPortInventory(commandInventory)) {
        WriteLogLine(*outputs, kWalksIncompleteText);
        return kExitNotCompleted;
    }
    if (parsed.test)
        return RunCommandPortTests(parsed, commandInventory, *outputs);
    int code = ApplyCommandChanges(parsed, commandInventory, message, sizeof message);
    if (code != kExitDone) {
        WriteLogLine(*outputs, message);
        return code;
    }
    if (parsed.apply &&
        (code = ApplyCommandSetup(parsed, commandSetup, commandInventory, *outputs)) != kExitDone)
        return code;
    if (parsed.list || parsed.save)
        return WriteResult(parsed, *outputs, *resultPath);
    if (parsed.preview)
        return RunUnattendedPreview(parsed, commandInventory, *outputs);
    return RunUnattendedCommit(parsed, commandInventory, *outputs);
}

}  // namespace

void WriteLogLine(const CommandOutputs& outputs, const char* text) {
    if (outputs.log != nullptr) {
        WriteText(outputs.log, text);
        WriteText(outputs.log, "\n");
    } else if (outputs.unlogged != nullptr &&
               TextLength(outputs.unlogged) + TextLength(text) + 2 <= outputs.unloggedSize) {
        // A line that does not fit is left out whole: a message box never shows half a line.
        AppendText(outputs.unlogged, outputs.unloggedSize, text);
        AppendText(outputs.unlogged, outputs.unloggedSize, "\n");
    }
}

void WriteLogMessage(const CommandOutputs& outputs, const char* format, const char* piece) {
    char message[kLogMessageSize];
    FormatText(message, sizeof message, format, piece);
    WriteLogLine(outputs, message);
}

void EmptyLog(const CommandLine& parsed) {
    TextWriter log;
    if (parsed.log && parsed.logPath[0] != 0 && OpenOutput(&log, parsed.logPath, nullptr))
        CloseOutput(&log);
}

int RunUnattended(const CommandLine& parsed, UnattendedRun* run) {
    // Without a log, its lines gather in the box's message.
    run->message[0] = 0;
    CommandOutputs outputs = {nullptr, nullptr, run->standardOutput, run->message,
                              sizeof run->message};
    TextWriter log, result;
    int logFailed = 0;
    if (parsed.log && parsed.logPath[0] != 0) {
        if (OpenOutput(&log, parsed.logPath, run->standardOutput)) {
            outputs.log = &log;
        } else {
            logFailed = 1;
            WriteLogMessage(outputs, kLogNotWrittenText, parsed.logPath);
        }
    }
    const char* resultPath = nullptr;
    int code;
    if (logFailed && parsed.commit && !parsed.bad) {
        // Changes nobody could read about afterwards are not made.
        WriteLogLine(outputs, kNoChangeWithoutLogText);
        code = kExitBadCommandLine;
    } else {
        code = RunWithLog(parsed, &outputs, &result, &resultPath);
    }
    if (outputs.result != outputs.log && !CloseOutput(outputs.result) && code == kExitDone) {
        WriteLogMessage(outputs, kCannotWriteText, resultPath);
        code = kExitNotCompleted;
    }
    const char* resultText = kResultTexts[code];
    if (code == kExitRestartNeeded && parsed.restart && run->restartWindows != nullptr) {
        if (run->restartWindows()) {
            code = kExitDone;
            resultText = kResultRestartingText;
        } else {
            WriteLogLine(outputs, kRestartRefusedText);
        }
    }
    if (outputs.log != nullptr) {
        WriteLogLine(outputs, resultText);
        CloseOutput(outputs.log);
    } else if (parsed.test && !parsed.bad) {
        // The box ends as the log would, and once ports were tested says where their every
        // line is to be had.
        WriteLogLine(outputs, resultText);
        if (code == kExitDone || code >= kExitCheckFailed)
            WriteLogLine(outputs, kTestBoxLogText);
    }

    // What no log took reaches the user in a message box, unless the run simply got done; a
    // port test's lines are what the user asked for, whatever the result.
    if (logFailed)
        code = kExitBadCommandLine;
    else if (outputs.log != nullptr ||
             (!parsed.test && (code == kExitDone || code == kExitRestartNeeded)))
        run->message[0] = 0;
    size_t length = TextLength(run->message);
    if (length > 0 && run->message[length - 1] == '\n')
        run->message[length - 1] = 0;
    return code;
}

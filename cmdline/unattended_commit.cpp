// cmdline/unattended_commit.cpp: /preview and /ok, run without a window.
//
// Both run OK's own steps (commit/ok_changes.h): /preview as the dry run that OK itself makes
// before writing its undo folder, /ok as the whole of OK. So a preview lists exactly what /ok
// then changes, and /ok can tell when the registry did not take every change it meant to make.
#include <string.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "commit/ok_changes.h"
#include "inventory/registry_names.h"
#include "platform/regedit_lines.h"

namespace {

// A change as one line: the longest is a file below an 80-character Windows directory with a
// 259-character name, or a key path of two 80-character names and their parents.
enum { kChangeLineSize = 512 };

void AppendOldText(char* line, size_t size, const OkChange& change) {
    if (change.oldValue == kOldValueNone) {
        AppendText(line, size, kOldValueNoneText);
    } else if (change.oldType != kRegTypeString && change.oldType != kRegTypeExpandString) {
        AppendText(line, size, kOldValueNotTextText);
    } else {
        // Registry strings need not end in a NUL: copy no more than the data holds.
        char text[kChangeLineSize] = "";
        size_t length = change.oldSize < sizeof text ? change.oldSize : sizeof text - 1;
        memcpy(text, change.oldData, length);
        text[length] = 0;
        AppendText(line, size, text);
    }
}

// The change as /preview writes it. Without the old text (`withOld` 0) it is the same for the
// dry run and for the real run, which does not read a value before writing it.
void FormatChange(const OkChange& change, int withOld, char* line, size_t size) {
    line[0] = 0;
    switch (change.kind) {
        case kOkValueWritten:
            AppendText(line, size, kChangeValueWord);
            AppendText(line, size, change.valueName);
            AppendText(line, size, kChangeValueIn);
            AppendText(line, size, change.path);
            AppendText(line, size, ": ");
            if (withOld) {
                AppendOldText(line, size, change);
                AppendText(line, size, kChangeArrow);
            }
            AppendText(line, size, change.newText);
            if (RewritesSameText(change))
                AppendText(line, size, kUnchangedMark);
            break;
        case kOkKeyDeleted:
            AppendText(line, size, kChangeKeyWord);
            AppendText(line, size, change.path);
            break;
        case kOkFileDeletedAtRestart:
            AppendText(line, size, kChangeFileAtRestartWord);
            AppendText(line, size, change.path);
            break;
        default:
            AppendText(line, size, kChangeFileWord);
            AppendText(line, size, change.path);
            break;
    }
}

enum { kSummarySize = kCommandMessageSize };

// `lead`, then "3 keys" or "1 key" (`count` and `noun`, made plural as English needs; no noun,
// the bare number), then `after`.
void AppendCount(char* text, const char* lead, int count, const char* noun, const char* after) {
    AppendText(text, kSummarySize, lead);
    AppendNumber(text, kSummarySize, static_cast<unsigned long>(count));
    AppendText(text, kSummarySize, noun);
    if (count != 1 && noun[0] != 0)
        AppendText(text, kSummarySize, "s");
    AppendText(text, kSummarySize, after);
}

// "1 value changed (15 rewritten unchanged), 3 keys deleted, 2 files deleted; restart needed"
// under `format`: values that keep their text are told apart, and ", 1 file deleted at restart"
// follows when a file in use was left for it. `counts` by OkChangeKind.
void WriteSummary(const CommandOutputs& outputs, const char* format, const int* counts,
                  int unchanged, int changed) {
    char summary[kSummarySize] = "";
    int total = 0;
    for (int kind = kOkValueWritten; kind < kOkChangeKinds; ++kind)
        total += counts[kind];
    if (total == 0) {
        AppendText(summary, sizeof summary, kNothingToChangeText);
    } else {
        AppendCount(summary, "", counts[kOkValueWritten] - unchanged, kValueNoun, kChangedText);
        if (unchanged > 0)
            AppendCount(summary, " (", unchanged, "", kRewrittenUnchangedText);
        AppendCount(summary, ", ", counts[kOkKeyDeleted], kKeyNoun, kDeletedText);
        AppendCount(summary, ", ", counts[kOkFileDeleted], kFileNoun, kDeletedText);
        if (counts[kOkFileDeletedAtRestart] > 0)
            AppendCount(summary, ", ", counts[kOkFileDeletedAtRestart], kFileNoun, kAtRestartText);
    }
    if (changed)
        AppendText(summary, sizeof summary, kRestartNeededText);
    WriteLogMessage(outputs, format, summary);
}

struct PreviewWriter {
    TextWriter* out;
    int counts[kOkChangeKinds];
    int unchanged;
};

void WritePreviewLine(void* context, const OkChange& change) {
    PreviewWriter* writer = static_cast<PreviewWriter*>(context);
    char line[kChangeLineSize];
    FormatChange(change, 1, line, sizeof line);
    WriteText(writer->out, line);
    WriteText(writer->out, "\n");
    ++writer->counts[change.kind];
    writer->unchanged += RewritesSameText(change);
}

}  // namespace

void WriteNamesChanged(const CommandOutputs& outputs, int count) {
    char summary[kSummarySize] = "";
    AppendCount(summary, kSetupAppliedText, count, kNameNoun, kChangedText);
    WriteLogLine(outputs, summary);
}

int RunUnattendedPreview(const CommandLine&, const PortInventory& inventory,
                         const CommandOutputs& outputs) {
    PreviewWriter writer = {outputs.result, {}, 0};
    int changed = PreviewOkChanges(inventory, WritePreviewLine, &writer);
    if (changed == kOkDryRunFailed) {
        WriteLogLine(outputs, kPlanFailedText);
        return kExitNotCompleted;
    }
    WriteSummary(outputs, kPreviewSummaryText, writer.counts, writer.unchanged, changed);
    return kExitDone;
}

int RunUnattendedCommit(const CommandLine&, const PortInventory& inventory,
                        const CommandOutputs& outputs) {
    OkOutcome outcome;
    CarryOutOkChanges(inventory, &outcome);
    switch (outcome.result) {
        case kOkPlanFailed:
            WriteLogLine(outputs, kPlanFailedText);
            return kExitNotCompleted;
        case kOkNoMemory:
            WriteLogLine(outputs, kNoMemoryText);
            return kExitNotCompleted;
        case kOkUndoNotWritten: {
            char reason[kUndoFailureSize];
            DescribeUndoFailure(outcome, reason, sizeof reason);
            WriteLogMessage(outputs, kUndoNotWrittenLogText, reason);
            return kExitNotCompleted;
        }
    }
    if (outcome.deviation != kOkAsPlanned) {
        OkChange change = {outcome.deviationKind,
                           outcome.deviationPath,
                           kPortNameValue,
                           outcome.deviationText,
                           0,
                           nullptr,
                           0,
                           nullptr,
                           0};
        char line[kChangeLineSize];
        FormatChange(change, 0, line, sizeof line);
        WriteLogMessage(
            outputs,
            outcome.deviation == kOkUnplannedChange ? kUnplannedChangeText : kNotAllMadeText, line);
        WriteLogMessage(outputs, kUndoFolderText, outcome.undoFolder);
        return kExitNotCompleted;
    }
    WriteSummary(outputs, kDoneSummaryText, outcome.made, outcome.rewrittenUnchanged,
                 outcome.changed);
    if (outcome.undoFolder[0] != 0)
        WriteLogMessage(outputs, kUndoFolderText, outcome.undoFolder);
    return outcome.changed ? kExitRestartNeeded : kExitDone;
}

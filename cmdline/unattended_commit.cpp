// cmdline/unattended_commit.cpp: /preview and /ok, run without a window.
//
// Both run OK's own steps (commit/ok_changes.h): /preview as the dry run that OK itself makes
// before writing its undo folder, /ok as the whole of OK. So a preview lists exactly what /ok
// then changes, and /ok can tell when the registry did not take every change it meant to make.
#include <string.h>

#include "app/texts.h"
#include "cmdline/command_line.h"
#include "commit/ok_changes.h"
#include "platform/heap.h"

namespace {

// A change as one line: the longest is a file below an 80-character Windows directory with a
// 259-character name, or a key path of two 80-character names and their parents.
enum { kChangeLineSize = 512, kRegString = 1, kRegExpandString = 2 };

void AppendOldText(char* line, size_t size, const OkChange& change) {
    if (change.oldValue == kOldValueNone) {
        AppendText(line, size, kOldValueNoneText);
    } else if (change.oldType != kRegString && change.oldType != kRegExpandString) {
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
            break;
        case kOkKeyDeleted:
            AppendText(line, size, kChangeKeyWord);
            AppendText(line, size, change.path);
            break;
        default:
            AppendText(line, size, kChangeFileWord);
            AppendText(line, size, change.path);
            break;
    }
}

struct ChangeCounts {
    int values, keys, files;
};

void Count(ChangeCounts* counts, const OkChange& change) {
    int* counter = change.kind == kOkValueWritten ? &counts->values
                   : change.kind == kOkKeyDeleted ? &counts->keys
                                                  : &counts->files;
    ++*counter;
}

// "12 values written, 3 keys deleted, 2 files deleted; restart needed" under `format`.
void WriteSummary(const CommandOutputs& outputs, const char* format, const ChangeCounts& counts,
                  int changed) {
    char summary[kCommandMessageSize] = "";
    if (counts.values + counts.keys + counts.files == 0) {
        AppendText(summary, sizeof summary, kNothingToChangeText);
    } else {
        AppendNumber(summary, sizeof summary, counts.values);
        AppendText(summary, sizeof summary, kValuesWrittenText);
        AppendNumber(summary, sizeof summary, counts.keys);
        AppendText(summary, sizeof summary, kKeysDeletedText);
        AppendNumber(summary, sizeof summary, counts.files);
        AppendText(summary, sizeof summary, kFilesDeletedText);
    }
    if (changed)
        AppendText(summary, sizeof summary, kRestartNeededText);
    char message[kCommandMessageSize];
    FormatText(message, sizeof message, format, summary);
    WriteLogLine(outputs, message);
}

void WriteLongLogLine(const CommandOutputs& outputs, const char* format, const char* piece) {
    char message[kChangeLineSize + kCommandMessageSize];
    FormatText(message, sizeof message, format, piece);
    WriteLogLine(outputs, message);
}

struct PreviewWriter {
    TextWriter* out;
    ChangeCounts counts;
};

void WritePreviewLine(void* context, const OkChange& change) {
    PreviewWriter* writer = static_cast<PreviewWriter*>(context);
    char line[kChangeLineSize];
    FormatChange(change, 1, line, sizeof line);
    WriteText(writer->out, line);
    WriteText(writer->out, "\n");
    Count(&writer->counts, change);
}

// What /ok means to change, in order, and how far the real run has followed it. The real run
// makes a subsequence of the plan: a change it could not make is skipped, never replaced.
struct PlanFollower {
    char (*lines)[kChangeLineSize];
    int count;                        // planned changes
    int filled;                       // lines stored while planning
    int next;                         // the first planned change the real run has not yet made
    int missed;                       // the first planned change it passed over, or -1
    char unplanned[kChangeLineSize];  // the first change made that was not planned, or ""
    ChangeCounts made;
};

void CountPlannedChange(void* context, const OkChange&) {
    ++static_cast<PlanFollower*>(context)->count;
}

void StorePlannedChange(void* context, const OkChange& change) {
    PlanFollower* plan = static_cast<PlanFollower*>(context);
    if (plan->filled < plan->count)
        FormatChange(change, 0, plan->lines[plan->filled++], kChangeLineSize);
}

void FollowMadeChange(void* context, const OkChange& change) {
    PlanFollower* plan = static_cast<PlanFollower*>(context);
    char line[kChangeLineSize];
    FormatChange(change, 0, line, sizeof line);
    int i = plan->next;
    while (i < plan->filled && !TextEqual(plan->lines[i], line))
        ++i;
    Count(&plan->made, change);
    if (i == plan->filled) {
        // Only a registry that changed under the dry run can do this; the undo folder does
        // not hold such a change, and the user must hear of it.
        if (plan->unplanned[0] == 0)
            memcpy(plan->unplanned, line, sizeof line);
        return;
    }
    if (i > plan->next && plan->missed < 0)
        plan->missed = plan->next;
    plan->next = i + 1;
}

}  // namespace

int RunUnattendedPreview(const CommandLine&, const PortInventory& inventory,
                         const CommandOutputs& outputs) {
    PreviewWriter writer = {outputs.result, {0, 0, 0}};
    int changed = PreviewOkChanges(inventory, WritePreviewLine, &writer);
    if (changed == kOkDryRunFailed) {
        WriteLogLine(outputs, kPlanFailedText);
        return kExitNotCompleted;
    }
    WriteSummary(outputs, kPreviewSummaryText, writer.counts, changed);
    return kExitDone;
}

int RunUnattendedCommit(const CommandLine&, const PortInventory& inventory,
                        const CommandOutputs& outputs) {
    PlanFollower plan = {nullptr, 0, 0, 0, -1, "", {0, 0, 0}};
    if (PreviewOkChanges(inventory, CountPlannedChange, &plan) == kOkDryRunFailed) {
        WriteLogLine(outputs, kPlanFailedText);
        return kExitNotCompleted;
    }
    if (plan.count > 0) {
        plan.lines = static_cast<char(*)[kChangeLineSize]>(
            ResizeHeapBlock(nullptr, plan.count * sizeof *plan.lines));
        if (plan.lines == nullptr) {
            WriteLogLine(outputs, kNoMemoryText);
            return kExitNotCompleted;
        }
        PreviewOkChanges(inventory, StorePlannedChange, &plan);
    }

    OkOutcome outcome;
    CarryOutOkChanges(inventory, &outcome, FollowMadeChange, &plan);
    int code = outcome.changed ? kExitRestartNeeded : kExitDone;
    if (outcome.result == kOkUndoNotWritten) {
        WriteLongLogLine(outputs, kUndoNotWrittenLogText, outcome.undoFolder);
        code = kExitNotCompleted;
    } else if (plan.unplanned[0] != 0) {
        WriteLongLogLine(outputs, kUnplannedChangeText, plan.unplanned);
        WriteLongLogLine(outputs, kUndoFolderText, outcome.undoFolder);
        code = kExitNotCompleted;
    } else if (plan.missed >= 0 || plan.next < plan.filled) {
        int first = plan.missed >= 0 ? plan.missed : plan.next;
        WriteLongLogLine(outputs, kNotAllMadeText, plan.lines[first]);
        WriteLongLogLine(outputs, kUndoFolderText, outcome.undoFolder);
        code = kExitNotCompleted;
    } else {
        WriteSummary(outputs, kDoneSummaryText, plan.made, outcome.changed);
        if (outcome.undoFolder[0] != 0)
            WriteLongLogLine(outputs, kUndoFolderText, outcome.undoFolder);
    }
    FreeHeapBlock(plan.lines);
    return code;
}

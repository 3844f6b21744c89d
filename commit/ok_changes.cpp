// commit/ok_changes.cpp: OK's steps run as a dry run, for real, and for real behind an undo
// folder, followed against the plan the folder was written from.
#include "commit/ok_changes.h"

#include <string.h>

#include "commit/ok_plan.h"
#include "commit/ok_steps.h"
#include "commit/undo_folder.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

// How far the real run has followed the plan. The real run makes a subsequence of the plan: a
// change it could not make is skipped, never replaced.
struct PlanFollower {
    const OkPlan* plan;
    int next;    // the first planned change not yet made
    int missed;  // the first planned change passed over, or -1
    OkOutcome* outcome;
};

void NoteDeviation(OkOutcome* outcome, int deviation, int kind, const char* path,
                   const char* newText) {
    outcome->deviation = deviation;
    outcome->deviationKind = kind;
    outcome->deviationPath[0] = outcome->deviationText[0] = 0;
    AppendText(outcome->deviationPath, sizeof outcome->deviationPath, path);
    AppendText(outcome->deviationText, sizeof outcome->deviationText, newText);
}

void FollowMadeChange(void* context, const OkChange& made) {
    PlanFollower* follower = static_cast<PlanFollower*>(context);
    OkOutcome* outcome = follower->outcome;
    ++outcome->made[made.kind];
    const char* newText = made.newText ? made.newText : "";
    for (int i = follower->next; i < follower->plan->count; ++i) {
        const PlannedChange& planned = follower->plan->changes[i];
        if (planned.kind == made.kind && TextEqual(planned.path, made.path) &&
            TextEqual(planned.newText, newText)) {
            if (i > follower->next && follower->missed < 0)
                follower->missed = follower->next;
            follower->next = i + 1;
            outcome->rewrittenUnchanged += planned.unchanged;
            return;
        }
    }
    // Only a registry that changed under the dry run can do this; the undo folder does not
    // hold such a change, and the user must hear of it.
    if (outcome->deviation != kOkUnplannedChange)
        NoteDeviation(outcome, kOkUnplannedChange, made.kind, made.path, newText);
}

// The real run over a whole plan, its undo folder written: follows each change against it.
void MakeThePlannedChanges(const PortInventory& inventory, const OkPlan& plan, OkOutcome* outcome) {
    PlanFollower follower = {&plan, 0, -1, outcome};
    outcome->changed = ApplyOkChanges(inventory, FollowMadeChange, &follower);
    int missed = follower.missed >= 0 ? follower.missed : follower.next;
    if (outcome->deviation == kOkAsPlanned && missed < plan.count)
        NoteDeviation(outcome, kOkChangeNotMade, plan.changes[missed].kind,
                      plan.changes[missed].path, plan.changes[missed].newText);
}

}  // namespace

int ApplyOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    CommitLayer layer;
    InitRealCommitLayer(&layer, observer, context);
    return RunOkSteps(inventory, &layer);
}

void CarryOutOkChanges(const PortInventory& inventory, OkOutcome* outcome) {
    memset(outcome, 0, sizeof *outcome);
    OkPlan plan = {nullptr, 0, 0, kOkDone};
    if (PreviewOkChanges(inventory, KeepPlannedChange, &plan) == kOkDryRunFailed &&
        plan.state == kOkDone)
        plan.state = kOkPlanFailed;

    // A plan that is not whole makes no way back (a failed one names its folder all the same);
    // nothing to put back makes no folder, but the steps still run as OK always ran them.
    outcome->result = plan.state;
    if (plan.state != kOkNoMemory && (plan.state != kOkDone || plan.count > 0) &&
        !WriteUndoFolder(plan, outcome))
        outcome->result = plan.state == kOkDone ? kOkUndoNotWritten : plan.state;
    if (outcome->result == kOkDone)
        MakeThePlannedChanges(inventory, plan, outcome);
    FreeOkPlan(&plan);
}

int DescribeUndoFailure(const OkOutcome& outcome, char* text, size_t size) {
    // The errors of a full or write-protected disk, or of a folder that may not be written.
    static const unsigned char kDiskErrors[] = {kFileErrorAccessDenied, kFileErrorWriteProtect,
                                                kFileErrorHandleDiskFull, kFileErrorCannotMake,
                                                kFileErrorDiskFull};
    unsigned long error = outcome.undoError;
    int kind = error == kFileErrorSharingViolation || error == kFileErrorLockViolation
                   ? kUndoFileHeld
                   : kUndoOtherFailure;
    for (unsigned char diskError : kDiskErrors)
        kind = error == diskError ? kUndoDiskFull : kind;
    int copy = outcome.undoFile[0] != 0;
    FormatText(text, size, copy ? kUndoCopyFailedText : kUndoFolderFailedText,
               copy ? outcome.undoFile : outcome.undoFolder);
    if (error != 0) {  // without one, no reason either
        AppendText(text, size, kUndoReasonTexts[kind]);
        AppendNumber(text, size, error);
        AppendText(text, size, ")");
    }
    return kind;
}

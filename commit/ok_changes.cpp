// commit/ok_changes.cpp: OK's steps run as a dry run, for real, and for real behind an undo
// folder, followed against the plan the folder was written from.
#include "commit/ok_changes.h"

#include <string.h>

#include "commit/dry_run_layer.h"
#include "commit/ok_plan.h"
#include "commit/ok_steps.h"
#include "commit/undo_folder.h"
#include "platform/text.h"

namespace {

// How far the real run has followed the plan. The real run makes a subsequence of the plan: a
// change it could not make is skipped, never replaced.
struct PlanFollower {
    const OkPlan* plan;
    size_t next;    // the offset of the first planned change not yet made
    size_t missed;  // the first planned change passed over, or the plan's end
    OkOutcome* outcome;
    int unplanned;  // a change was made that the plan does not hold
};

int SameChange(const OkChange& a, const OkChange& b) {
    return a.kind == b.kind && TextEqual(a.path, b.path) &&
           TextEqual(a.newText ? a.newText : "", b.newText ? b.newText : "");
}

void NoteDeviation(OkOutcome* outcome, int deviation, const OkChange& change) {
    outcome->deviation = deviation;
    outcome->deviationKind = change.kind;
    outcome->deviationPath[0] = 0;
    AppendText(outcome->deviationPath, sizeof outcome->deviationPath, change.path);
    outcome->deviationText[0] = 0;
    AppendText(outcome->deviationText, sizeof outcome->deviationText,
               change.newText ? change.newText : "");
}

void FollowMadeChange(void* context, const OkChange& made) {
    PlanFollower* follower = static_cast<PlanFollower*>(context);
    OkOutcome* outcome = follower->outcome;
    int* counter = made.kind == kOkValueWritten ? &outcome->valuesWritten
                   : made.kind == kOkKeyDeleted ? &outcome->keysDeleted
                                                : &outcome->filesDeleted;
    ++*counter;
    size_t offset = follower->next, at = offset;
    OkChange planned;
    while (NextPlannedChange(*follower->plan, &offset, &planned)) {
        if (SameChange(planned, made)) {
            if (at > follower->next && follower->missed == follower->plan->used)
                follower->missed = follower->next;
            follower->next = offset;
            return;
        }
        at = offset;
    }
    // Only a registry that changed under the dry run can do this; the undo folder does not
    // hold such a change, and the user must hear of it.
    if (!follower->unplanned)
        NoteDeviation(outcome, kOkUnplannedChange, made);
    follower->unplanned = 1;
}

// The real run over a whole plan, its undo folder written: follows each change against it.
void MakeThePlannedChanges(const PortInventory& inventory, const OkPlan& plan, OkOutcome* outcome) {
    PlanFollower follower = {&plan, 0, plan.used, outcome, 0};
    outcome->changed = ApplyOkChanges(inventory, FollowMadeChange, &follower);
    if (follower.unplanned)
        return;
    size_t missed = follower.missed < plan.used ? follower.missed : follower.next;
    OkChange change;
    if (NextPlannedChange(plan, &missed, &change))
        NoteDeviation(outcome, kOkChangeNotMade, change);
}

}  // namespace

int PreviewOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    DryRunLayer layer;
    InitDryRunLayer(&layer, observer, context);
    int changed = RunOkSteps(inventory, &layer);
    return layer.lostTrack ? kOkDryRunFailed : changed;
}

int ApplyOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    CommitLayer layer;
    InitRealCommitLayer(&layer, observer, context);
    return RunOkSteps(inventory, &layer);
}

void CarryOutOkChanges(const PortInventory& inventory, OkOutcome* outcome) {
    memset(outcome, 0, sizeof *outcome);
    OkPlan plan;
    InitOkPlan(&plan);
    if (plan.state == kPlanWhole &&
        PreviewOkChanges(inventory, KeepPlannedChange, &plan) == kOkDryRunFailed &&
        plan.state == kPlanWhole)
        plan.state = kPlanLostTrack;

    if (plan.state == kPlanNoMemory) {
        outcome->result = kOkNoMemory;
    } else if (plan.state == kPlanLostTrack) {
        // A plan that is not whole makes no way back; the folder is only named.
        outcome->result = kOkPlanFailed;
        NameUndoFolder(outcome->undoFolder, sizeof outcome->undoFolder);
    } else if (plan.count > 0 &&
               !WriteUndoFolder(plan, outcome->undoFolder, sizeof outcome->undoFolder)) {
        outcome->result = kOkUndoNotWritten;
    } else {
        // Nothing to put back makes no folder, but the steps still run as OK always ran them.
        outcome->result = kOkDone;
        MakeThePlannedChanges(inventory, plan, outcome);
    }
    FreeOkPlan(&plan);
}

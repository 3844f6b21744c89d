// commit/ok_plan.h: what OK will change, worked out once by a dry run of its steps and kept: the
// undo folder is written from it, and the real run is followed against it.
#ifndef KORVALIN_COMMIT_OK_PLAN_H
#define KORVALIN_COMMIT_OK_PLAN_H

#include "commit/ok_changes.h"

// One change as the follower compares it: kind, key or file path, and new value. The commit
// writes port names only, so a new value fits a port name.
struct PlannedChange {
    int kind;  // an OkChangeKind
    char path[kOkChangePathSize];
    char newText[kPortNameSize];  // "" but for kOkValueWritten
    int unchanged;                // RewritesSameText
};

struct OkPlan {
    PlannedChange* changes;  // on the heap; null while empty
    int count;
    int room;
    // kOkDone while every change the real run will make is here; kOkPlanFailed when the dry run
    // lost track of what the real run would do; kOkNoMemory when the plan did not fit.
    int state;
};

// An OkChangeObserver for the dry run: adds the change to the plan (`context`), which starts
// zeroed. FreeOkPlan gives its memory back, whatever its state.
void KeepPlannedChange(void* context, const OkChange& change);
void FreeOkPlan(OkPlan* plan);

// 1 when the plan deletes the key `path` or a key above it, else 0.
int PlanDeletesKeyOrAbove(const OkPlan& plan, const char* path);

#endif

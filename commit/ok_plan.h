// commit/ok_plan.h: what OK will change, worked out once by a dry run of its steps and kept: the
// undo folder is written from it, and the real run is followed against it.
#ifndef KORVALIN_COMMIT_OK_PLAN_H
#define KORVALIN_COMMIT_OK_PLAN_H

#include <stddef.h>

#include "commit/ok_changes.h"

enum OkPlanState {
    kPlanWhole = 0,      // every change the real run will make is in the plan
    kPlanLostTrack = 1,  // the dry run lost track of what the real run would do
    kPlanNoMemory = 2,   // the plan did not fit in memory
};

struct OkPlan {
    unsigned char* records;  // the changes one after another, on the heap (null when none)
    size_t used;
    size_t room;
    int count;
    int changed;  // the commit's changed flag, as the dry run found it
    int state;    // an OkPlanState
};

// An empty plan, with its first room on the heap (state kPlanNoMemory when there is none).
void InitOkPlan(OkPlan* plan);
// An OkChangeObserver for the dry run: keeps each change, old value included, at the plan's end
// (`context` is the plan).
void KeepPlannedChange(void* context, const OkChange& change);
// Gives back the plan's memory, whatever its state.
void FreeOkPlan(OkPlan* plan);

// The change at *offset (0 for the first), its texts pointing into the plan; moves *offset to
// the next. 0 past the last.
int NextPlannedChange(const OkPlan& plan, size_t* offset, OkChange* change);

// 1 when the plan deletes the key `path` or a key above it, else 0.
int PlanDeletesKeyOrAbove(const OkPlan& plan, const char* path);

#endif

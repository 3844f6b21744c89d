// commit/ok_plan.cpp: the plan of OK's changes, kept from one dry run (see ok_plan.h).
#include "commit/ok_plan.h"

#include "platform/heap.h"
#include "platform/registry.h"
#include "platform/text.h"

void KeepPlannedChange(void* context, const OkChange& change) {
    OkPlan* plan = static_cast<OkPlan*>(context);
    if (plan->state == kOkNoMemory)
        return;
    if (plan->count == plan->room) {
        int room = plan->room > 0 ? plan->room * 2 : 64;
        void* grown = ResizeHeapBlock(plan->changes, room * sizeof *plan->changes);
        if (grown == nullptr) {
            plan->state = kOkNoMemory;
            return;
        }
        plan->changes = static_cast<PlannedChange*>(grown);
        plan->room = room;
    }
    PlannedChange& kept = plan->changes[plan->count++];
    kept.kind = change.kind;
    kept.unchanged = RewritesSameText(change);
    kept.path[0] = kept.newText[0] = 0;
    AppendText(kept.path, sizeof kept.path, change.path);
    AppendText(kept.newText, sizeof kept.newText, change.newText ? change.newText : "");
}

void FreeOkPlan(OkPlan* plan) {
    FreeHeapBlock(plan->changes);
    plan->changes = nullptr;
    plan->count = plan->room = 0;
}

int PlanDeletesKeyOrAbove(const OkPlan& plan, const char* path) {
    for (int i = 0; i < plan.count; ++i) {
        if (plan.changes[i].kind == kOkKeyDeleted && IsKeyAtOrBelow(path, plan.changes[i].path))
            return 1;
    }
    return 0;
}

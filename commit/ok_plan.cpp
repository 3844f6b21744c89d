// commit/ok_plan.cpp: the plan of OK's changes, kept from one dry run (see ok_plan.h).
//
// Each change is a head followed by its texts and the old value's bytes, copied in and out with
// memcpy, so that nothing needs aligning.
#include "commit/ok_plan.h"

#include <string.h>

#include "platform/heap.h"
#include "platform/key_path.h"
#include "platform/text.h"

namespace {

struct RecordHead {
    int kind;
    int oldValue;
    unsigned long oldType;
    unsigned long oldSize;
    size_t size;  // the whole record, head included
};

const char* OrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

void KeepPlannedChange(void* context, const OkChange& change) {
    OkPlan* plan = static_cast<OkPlan*>(context);
    if (plan->state == kPlanNoMemory)
        return;
    const char* texts[] = {OrEmpty(change.path), OrEmpty(change.valueName), OrEmpty(change.newText),
                           OrEmpty(change.oldValueName)};
    unsigned long oldSize = change.oldValue == kOldValueRead ? change.oldSize : 0;
    size_t size = sizeof(RecordHead) + oldSize;
    for (const char* text : texts)
        size += TextLength(text) + 1;
    if (plan->used + size > plan->room) {
        size_t room = plan->room * 2 > plan->used + size ? plan->room * 2 : plan->used + size;
        void* grown = ResizeHeapBlock(plan->records, room);
        if (grown == nullptr) {
            plan->state = kPlanNoMemory;
            return;
        }
        plan->records = static_cast<unsigned char*>(grown);
        plan->room = room;
    }
    unsigned char* at = plan->records + plan->used;
    RecordHead head = {change.kind, change.oldValue, change.oldType, oldSize, size};
    memcpy(at, &head, sizeof head);
    char* text = reinterpret_cast<char*>(at + sizeof head);
    for (const char* piece : texts) {
        CopyText(text, piece);
        text += TextLength(piece) + 1;
    }
    if (oldSize > 0)
        memcpy(text, change.oldData, oldSize);
    plan->used += size;
    ++plan->count;
}

void InitOkPlan(OkPlan* plan) {
    plan->used = 0;
    plan->room = 4096;
    plan->count = 0;
    plan->changed = 0;
    plan->state = kPlanWhole;
    plan->records = static_cast<unsigned char*>(ResizeHeapBlock(nullptr, plan->room));
    if (plan->records == nullptr) {
        plan->room = 0;
        plan->state = kPlanNoMemory;
    }
}

void FreeOkPlan(OkPlan* plan) {
    FreeHeapBlock(plan->records);
    plan->records = nullptr;
    plan->used = plan->room = 0;
    plan->count = 0;
}

int NextPlannedChange(const OkPlan& plan, size_t* offset, OkChange* change) {
    if (*offset >= plan.used)
        return 0;
    const unsigned char* at = plan.records + *offset;
    RecordHead head;
    memcpy(&head, at, sizeof head);
    const char* texts[4];
    const char* text = reinterpret_cast<const char*>(at + sizeof head);
    for (const char*& piece : texts) {
        piece = text;
        text += TextLength(text) + 1;
    }
    int value = head.kind == kOkValueWritten;
    change->kind = head.kind;
    change->path = texts[0];
    change->valueName = value ? texts[1] : nullptr;
    change->newText = value ? texts[2] : nullptr;
    change->oldValue = head.oldValue;
    change->oldValueName = value ? texts[3] : nullptr;
    change->oldType = head.oldType;
    change->oldData = text;
    change->oldSize = head.oldSize;
    *offset += head.size;
    return 1;
}

int PlanDeletesKeyOrAbove(const OkPlan& plan, const char* path) {
    size_t offset = 0;
    OkChange change;
    while (NextPlannedChange(plan, &offset, &change)) {
        if (change.kind == kOkKeyDeleted && IsKeyAtOrBelow(path, change.path))
            return 1;
    }
    return 0;
}

// platform/host/change_journal.cpp: the native build's hook for changes (see change_journal.h).
#include "platform/host/change_journal.h"

namespace {
PlatformChangeHook g_hook;
void* g_context;
}  // namespace

void SetPlatformChangeHook(PlatformChangeHook hook, void* context) {
    g_hook = hook;
    g_context = context;
}

int PlatformChangeHookSet() {
    return g_hook != nullptr;
}

int AllowPlatformChange(int change, const char* name) {
    return g_hook == nullptr || g_hook(g_context, change, name);
}

// platform/win32/program_start.cpp: where Windows starts korvalin.exe, in place of a C runtime.
//
// Windows 95 as first shipped has no C runtime DLL, so the program links none: this is all the
// start-up it needs. It gathers WinMain's arguments as the C runtime would and ends the process
// with WinMain's result. Only korvalin.exe links this file; the test programs keep their C
// runtime and call WinMain themselves.
#include <windows.h>

#include "platform/stack.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandText, int show);

namespace {

int IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The command line after the program's own name, which may be quoted and hold blanks.
char* ArgumentsOf(char* commandLine) {
    char* c = commandLine;
    if (*c == '"') {
        for (++c; *c != 0 && *c != '"'; ++c) {
        }
        if (*c == '"')
            ++c;
    } else {
        while (*c != 0 && !IsBlank(*c))
            ++c;
    }
    while (IsBlank(*c))
        ++c;
    return c;
}

}  // namespace

// The image's entry point (the linker is told its name). It never returns.
extern "C" void KorvalinStart() {
    CommitStack(kMainThreadStack);
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), show)));
}

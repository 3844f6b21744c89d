// tests/cmdline/run_capture.h: runs a command line unattended as the program does, from an
// empty inventory, with standard output standing in a temporary file.
#ifndef KORVALIN_TESTS_CMDLINE_RUN_CAPTURE_H
#define KORVALIN_TESTS_CMDLINE_RUN_CAPTURE_H

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "cmdline/command_line.h"
#include "platform/files.h"
#include "tests/support/test_inventory.h"

// Returns the exit code; *output gets what went to standard output, its CR LF line ends read
// back as LF (as text mode would), and *message (where given) what a message box would show.
// `restart` stands in for the entry's restart request.
inline int RunCapturing(const CommandLine& parsed, std::string* output,
                        std::string* message = nullptr, int (*restart)() = nullptr) {
    ResetInventory();  // as at process start
    char path[] = "/tmp/korvalin-stdout-XXXXXX";
    close(mkstemp(path));
    PlatformFile* out = FilesCreate(path);
    UnattendedRun run = {out, restart, ""};
    int code = RunUnattended(parsed, &run);
    FilesClose(out);
    if (message != nullptr)
        *message = run.message;
    output->clear();
    FILE* in = fopen(path, "rb");
    for (int c; (c = getc(in)) != EOF;) {
        if (c == '\n' && !output->empty() && output->back() == '\r')
            output->pop_back();
        *output += static_cast<char>(c);
    }
    fclose(in);
    unlink(path);
    return code;
}

#endif

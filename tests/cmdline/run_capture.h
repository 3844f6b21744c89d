// tests/cmdline/run_capture.h: runs a command line unattended as the program does, from an
// empty inventory, with standard output standing in a temporary file.
#ifndef KORVALIN_TESTS_CMDLINE_RUN_CAPTURE_H
#define KORVALIN_TESTS_CMDLINE_RUN_CAPTURE_H

#include <stdio.h>

#include <string>

#include "cmdline/command_line.h"

// Returns the exit code; *output gets what went to standard output.
inline int RunCapturing(const CommandLine& parsed, std::string* output) {
    ResetInventory();  // as at process start
    FILE* out = tmpfile();
    int code = RunUnattended(parsed, out);
    rewind(out);
    output->clear();
    for (int c; (c = getc(out)) != EOF;)
        *output += static_cast<char>(c);
    fclose(out);
    return code;
}

#endif

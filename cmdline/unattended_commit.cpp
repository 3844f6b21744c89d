// cmdline/unattended_commit.cpp: /preview and /ok, run without a window.
//
// Both are to be built on the layer that runs the commit's own steps over a recording
// registry and tells each change as it is made; until that layer is here they change nothing
// and say so.
#include "app/texts.h"
#include "cmdline/command_line.h"

int RunUnattendedPreview(const CommandLine&, const PortInventory&, const CommandOutputs& outputs) {
    char message[kCommandMessageSize];
    FormatMessageText(message, sizeof message, kNotAvailableText, "/preview");
    WriteLogLine(outputs, message);
    return kExitNotCompleted;
}

int RunUnattendedCommit(const CommandLine&, const PortInventory&, const CommandOutputs& outputs) {
    char message[kCommandMessageSize];
    FormatMessageText(message, sizeof message, kNotAvailableText, "/ok");
    WriteLogLine(outputs, message);
    return kExitNotCompleted;
}

// cmdline/command_setup.cpp: /apply: the saved setup read before the walks, then its names given
// to the walks' inventory, each step on a log line of its own. (/save is the listing's sibling,
// in run_command_line.cpp.)
#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "rename/setup_apply.h"

namespace {

void WriteApplyLine(void* context, const char* text) {
    WriteLogLine(*static_cast<const CommandOutputs*>(context), text);
}

}  // namespace

int ReadCommandSetup(const CommandLine& parsed, SavedSetup* setup, const CommandOutputs& outputs) {
    char message[kCommandPathSize + kSetupMessageSize];
    TextReader reader;
    if (!OpenTextReader(&reader, parsed.applyPath)) {
        FormatText(message, sizeof message, kCannotReadText, parsed.applyPath);
        WriteLogLine(outputs, message);
        return 0;
    }
    char fault[kSetupMessageSize];
    int read = ReadSavedSetup(&reader, setup, fault, sizeof fault);
    CloseTextReader(&reader);
    if (!read) {
        // "C:\SETUP.TXT: line 7: ...": the file, then where in it.
        FormatText(message, sizeof message, kSetupFaultText, parsed.applyPath);
        AppendText(message, sizeof message, fault);
        WriteLogLine(outputs, message);
    }
    return read;
}

int ApplyCommandSetup(const CommandLine& parsed, const SavedSetup& setup,
                      PortInventory& inventory, const CommandOutputs& outputs) {
    SetupApplyCounts counts;
    if (ApplySavedSetup(inventory, setup, parsed.partial, WriteApplyLine,
                        const_cast<CommandOutputs*>(&outputs), &counts) != kSetupApplied)
        return kExitRefused;
    char changed[24] = "";
    AppendNumber(changed, sizeof changed, static_cast<unsigned long>(counts.namesChanged));
    AppendText(changed, sizeof changed, counts.namesChanged == 1 ? " name" : " names");
    char message[kCommandMessageSize];
    FormatText(message, sizeof message, kSetupAppliedText, changed);
    WriteLogLine(outputs, message);
    return kExitDone;
}

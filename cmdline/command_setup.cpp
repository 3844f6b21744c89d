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
    int read = OpenTextReader(&reader, parsed.applyPath);
    // "C:\SETUP.TXT: line 7: ...": the file, then the reader's own words.
    FormatText(message, sizeof message, read ? kSetupFaultText : kCannotReadText,
               parsed.applyPath);
    if (read) {
        size_t used = TextLength(message);
        read = ReadSavedSetup(&reader, setup, message + used, sizeof message - used);
        CloseTextReader(&reader);
    }
    if (!read)
        WriteLogLine(outputs, message);
    return read;
}

int ApplyCommandSetup(const CommandLine& parsed, const SavedSetup& setup,
                      PortInventory& inventory, const CommandOutputs& outputs) {
    SetupApplyCounts counts;
    if (ApplySavedSetup(inventory, setup, parsed.partial, WriteApplyLine,
                        const_cast<CommandOutputs*>(&outputs), &counts) != kSetupApplied)
        return kExitRefused;
    WriteNamesChanged(outputs, counts.namesChanged);
    return kExitDone;
}

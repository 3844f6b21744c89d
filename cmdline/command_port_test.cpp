// cmdline/command_port_test.cpp: /test: the port test on each port named, its lines in the log.
#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "platform/ascii.h"
#include "porttest/port_test.h"

namespace {

// Exit codes by PortTestResult: a stopped test cannot happen here (nothing stops it).
const unsigned char kExitCodeOfTest[] = {kExitDone,     kExitNotFullyTested, kExitCheckFailed,
                                         kExitPortBusy, kExitPortAbsent,     kExitCheckFailed};

struct TestedPort {
    const CommandOutputs* outputs;
    const char* name;
};

void WriteTestLine(void* context, const char* line) {
    const TestedPort* tested = static_cast<const TestedPort*>(context);
    char text[kPortNameSize + kPortTestLineSize];
    CopyText(text, tested->name);
    AppendText(text, sizeof text, " ");
    AppendText(text, sizeof text, line);
    WriteLogLine(*tested->outputs, text);
}

int TestPort(const char* name, int plug, const CommandOutputs& outputs) {
    TestedPort tested = {&outputs, name};
    PortTestControl control = {WriteTestLine, &tested, nullptr, nullptr};
    PortTestOptions options = {};
    options.plug = plug;
    options.runs = 1;
    return kExitCodeOfTest[RunPortTest(name, options, control)];
}

}  // namespace

int RunCommandPortTests(const CommandLine& parsed, PortInventory& inventory,
                        const CommandOutputs& outputs) {
    char message[kCommandMessageSize];
    for (int i = 0; i < parsed.testCount; ++i) {
        int count;
        if (!EqualIgnoringCase(parsed.testNames[i], "ALL") &&
            (FindNamedPort(inventory, parsed.testNames[i], &count), count != 1)) {
            FormatText(message, sizeof message, count == 0 ? kNoSuchPortText : kPortAmbiguousText,
                       parsed.testNames[i]);
            WriteLogLine(outputs, message);
            return kExitRefused;
        }
    }
    int worst = kExitDone;
    for (int i = 0; i < parsed.testCount; ++i) {
        int code = kExitDone;
        if (!EqualIgnoringCase(parsed.testNames[i], "ALL")) {
            code = TestPort(parsed.testNames[i], parsed.plug, outputs);
        } else {
            // In the list's order, as /list shows them.
            for (int32_t b = 0; b < inventory.boardCount; ++b) {
                if (inventory.boards[b].removed)
                    continue;
                for (const PortRecord* port : PortsOf(inventory.boards[b])) {
                    int one = TestPort(port->portName, parsed.plug, outputs);
                    code = one > code ? one : code;
                }
            }
        }
        worst = code > worst ? code : worst;
    }
    return worst;
}

// cmdline/command_port_check.cpp: /test: the port test on each port named, its lines in the log,
// or without a log a line per port for the box.
// Before windows.h (platform/registry.h brings it), whose FindText names the common dialogs'
// FindTextA: so text.h declares ours by its own name, and the macro goes after.
#include "platform/text.h"

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "platform/ascii.h"

#undef FindText

namespace {

// Exit codes by PortTestResult: a stopped test cannot happen here (nothing stops it).
const unsigned char kExitCodeOfTest[] = {kExitDone,     kExitNotFullyTested, kExitCheckFailed,
                                         kExitPortBusy, kExitPortAbsent,     kExitCheckFailed};

enum {
    kCheckNameSize = 24,  // "data 115200", "put back": longer names are cut
    // The longest port line: name, result, check, line end.
    kPortLineSize = kPortNameSize + sizeof ": not fully tested" + 2 + kCheckNameSize,
};
// The box: its port lines, "and N more ports", the result and the /log line, after a log's
// own message when the log could not be written.
static_assert(kTestBoxPorts * kPortLineSize + kCommandMessageSize * 2 <= kUnattendedMessageSize,
              "the box fits");

struct TestedPort {
    const CommandOutputs* outputs;
    const char* name;
    char check[kCheckNameSize];  // the first check whose line says it did not pass, or ""
};

void WriteTestLine(void* context, const char* line) {
    TestedPort* tested = static_cast<TestedPort*>(context);
    if (tested->outputs->log == nullptr) {
        if (tested->check[0] == 0)
            CheckNotPassed(line, tested->check, sizeof tested->check);
        return;
    }
    char text[kPortNameSize + kPortTestLineSize];
    CopyText(text, tested->name);
    AppendText(text, sizeof text, " ");
    AppendText(text, sizeof text, line);
    WriteLogLine(*tested->outputs, text);
}

// Tests one port; without a log its line goes to the box. Returns a PortTestResult.
// *boxed counts the ports for the box, those past its room too.
int TestPort(const char* name, const CommandLine& parsed, const CommandOutputs& outputs,
             unsigned long* boxed) {
    TestedPort tested = {&outputs, name, ""};
    PortTestControl control = {WriteTestLine, &tested, nullptr, nullptr};
    PortTestOptions options = parsed.testOptions;
    options.plug = parsed.plug;
    options.runs += options.runs == 0;
    int result = RunPortTest(name, options, control);
    if (outputs.log == nullptr && ++*boxed <= kTestBoxPorts) {
        char line[kPortLineSize];
        FormatText(line, sizeof line, "%s: ", name);
        AppendText(line, sizeof line, kPortResultWords[result]);
        if (tested.check[0] != 0 &&
            (result == kPortTestFailed || result == kPortTestNotFullyTested)) {
            AppendText(line, sizeof line, ": ");
            AppendText(line, sizeof line, tested.check);
        }
        WriteLogLine(outputs, line);
    }
    return result;
}

}  // namespace

int CheckNotPassed(const char* line, char* name, size_t size) {
    const char* colon = FindText(line, ": ");
    if (colon != nullptr && TextBeginsWith(line, "run ")) {
        line = colon + 2;
        colon = FindText(line, ": ");
    }
    if (!FindText(line, "fail") && !FindText(line, kResultNotFullyTestedText + kResultWordAt) &&
        (!TextBeginsWith(line, "data") || FindText(line, "pass") || FindText(line, "skipped") ||
         FindText(line, "not tested")))
        return 0;
    size_t length = (colon != nullptr ? static_cast<size_t>(colon - line) : TextLength(line)) + 1;
    name[0] = 0;
    AppendText(name, length < size ? length : size, line);
    return 1;
}

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
    // The worst result by PortTestResult's order, not the highest exit code: 8 is better than 5.
    int worst = kPortTestPassed;
    unsigned long boxed = 0;
    for (int i = 0; i < parsed.testCount; ++i) {
        if (!EqualIgnoringCase(parsed.testNames[i], "ALL")) {
            int one = TestPort(parsed.testNames[i], parsed, outputs, &boxed);
            worst = one > worst ? one : worst;
            continue;
        }
        // In the list's order, as /list shows them.
        for (int32_t b = 0; b < inventory.boardCount; ++b) {
            if (inventory.boards[b].removed)
                continue;
            for (const PortRecord* port : PortsOf(inventory.boards[b])) {
                int one = TestPort(port->portName, parsed, outputs, &boxed);
                worst = one > worst ? one : worst;
            }
        }
    }
    if (boxed > kTestBoxPorts) {
        char count[12] = "";
        AppendNumber(count, sizeof count, boxed - kTestBoxPorts);
        FormatText(message, sizeof message, kMorePortsText, count);
        AppendText(message, sizeof message, boxed > kTestBoxPorts + 1 ? "s" : "");
        WriteLogLine(outputs, message);
    }
    return kExitCodeOfTest[worst];
}

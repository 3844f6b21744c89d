// platform/host/comm_script.cpp: the scripted serial port's side of each comm operation
// (native build; comm_native.cpp hands it a scripted port's calls).
#include "platform/host/comm_script.h"

#include <errno.h>
#include <string.h>

#include "platform/ascii.h"
#include "platform/limits.h"

namespace {

char scriptName[kPathSize];
CommScript* scriptInUse;

const int kScriptError = EIO;  // what a scripted port that went away, or refuses, answers
const unsigned kOutputsAtOpen = (1u << kOutputDtr) | (1u << kOutputRts);

int WireIsOn(const CommScript& s, int wire) {
    return (wire >> (s.outputs & 3)) & 1;
}

}  // namespace

void CommScriptUse(const char* name, CommScript* script) {
    scriptInUse = script;
    scriptName[0] = 0;
    if (script != nullptr)
        strncat(scriptName, name, sizeof scriptName - 1);
}

CommScript* CommScriptFor(const char* name) {
    return scriptInUse != nullptr && EqualIgnoringCase(name, scriptName) ? scriptInUse : nullptr;
}

int CommScriptOpen(CommScript* s, unsigned long* error) {
    if (s->openResult != kCommOpened) {
        *error = s->openError;
        return s->openResult;
    }
    s->outputs = kOutputsAtOpen;
    s->current = s->settings;
    s->operations = s->restored = s->closed = 0;
    s->prepares = s->outputSets = s->inputReads = 0;
    s->written = 0;
    s->echoLength = 0;
    s->opened = 1;
    return kCommOpened;
}

int CommScriptStep(CommScript* s) {
    ++s->operations;
    return s->failAfter > 0 && s->operations > s->failAfter ? kScriptError : 0;
}

int CommScriptReadSettings(CommScript* s, CommSettings* settings) {
    if (int error = CommScriptStep(s))
        return error;
    if (s->settingsFail)
        return ENOTTY;  // as a file that is no terminal answers
    *settings = s->settings;
    return 0;
}

int CommScriptPrepare(CommScript* s, unsigned long baudRate) {
    if (int error = CommScriptStep(s))
        return error;
    ++s->prepares;
    if (baudRate != 0 &&
        (baudRate == s->refusedBaud || (s->fastestBaud != 0 && baudRate > s->fastestBaud)))
        return kCommSpeedRefused;
    if (baudRate != 0)
        s->current = CommSettings{baudRate, 8, kParityNone, kStopBitsOne, 0};
    s->current.flow = 0;  // every handshake off
    s->echoLength = 0;
    return 0;
}

int CommScriptWrite(CommScript* s, const void* data, size_t size, size_t* done) {
    if (int error = CommScriptStep(s))
        return error;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        ++s->written;
        // What overflows is lost, as in a full buffer; so is every dropEvery-th byte.
        if (s->echoData && s->echoLength < kCommScriptEchoSize &&
            (s->dropEvery == 0 || s->written % s->dropEvery != 0))
            s->echo[s->echoLength++] = bytes[i];
    }
    *done = size;
    return 0;
}

int CommScriptRead(CommScript* s, void* data, size_t size, size_t* done, unsigned long timeoutMs) {
    if (int error = CommScriptStep(s))
        return error;
    size_t taken = size < s->echoLength ? size : s->echoLength;
    if (s->byteEveryMs != 0) {
        // One byte per byteEveryMs: the read waits for those it takes, or its whole timeout.
        size_t inTime = timeoutMs / s->byteEveryMs;
        if (taken > inTime)
            taken = inTime;
        CommPause(taken < size ? timeoutMs : taken * s->byteEveryMs);
    }
    memcpy(data, s->echo, taken);
    memmove(s->echo, s->echo + taken, s->echoLength - taken);
    s->echoLength -= taken;
    *done = taken;
    return 0;
}

int CommScriptReadFastestSpeed(CommScript* s, unsigned long* baud) {
    if (int error = CommScriptStep(s))
        return error;
    *baud = s->fastestBaud;
    return 0;
}

int CommScriptTakeLineErrors(CommScript* s, unsigned* errors) {
    if (int error = CommScriptStep(s))
        return error;
    *errors = s->lineErrors;
    s->lineErrors = 0;
    if (s->overrunAbove != 0 && s->current.baudRate > s->overrunAbove)
        *errors |= kLineErrorOverrun;  // a UART without a working FIFO
    return 0;
}

int CommScriptSetOutput(CommScript* s, int line, int on) {
    if (int error = CommScriptStep(s))
        return error;
    // As Windows refuses EscapeCommFunction on a line its handshake drives.
    int handshake = line == kOutputDtr ? kFlowDtrDsr : kFlowRtsCts;
    if (s->outputsFail || (s->current.flow & handshake))
        return kScriptError;
    ++s->outputSets;
    s->outputs = on ? s->outputs | (1u << line) : s->outputs & ~(1u << line);
    return 0;
}

int CommScriptReadInputs(CommScript* s, unsigned* inputs) {
    if (int error = CommScriptStep(s))
        return error;
    if (s->inputsFail)
        return kScriptError;
    ++s->inputReads;
    *inputs = (WireIsOn(*s, s->cts) ? kInputCts : 0) | (WireIsOn(*s, s->dsr) ? kInputDsr : 0) |
              (WireIsOn(*s, s->ring) ? kInputRing : 0) | (WireIsOn(*s, s->dcd) ? kInputDcd : 0);
    if (s->flickerEvery > 0 && s->inputReads % s->flickerEvery == 0)
        *inputs ^= kInputDcd;  // a loose wire
    return 0;
}

int CommScriptRestore(CommScript* s) {
    if (int error = CommScriptStep(s))
        return error;
    s->current = s->settings;
    s->outputs = kOutputsAtOpen;
    s->restored = 1;
    return 0;
}

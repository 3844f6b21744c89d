// tests/fuzz/command_line_fuzzer.cpp: any bytes as a command line and the @FILE files it names;
// the parser gives a parsed line or a bad one that says why, within its buffers, and writes
// nothing.
//
// The input is cut at NUL bytes: the first piece is the command line, the next ones the files
// a, b, c and d of a scratch folder that relative names are taken from (a file without its
// piece is missing).
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "cmdline/command_line.h"
#include "portcheck/port_check.h"

namespace {

const char* const kFileNames[] = {"a", "b", "c", "d"};

const std::string& Folder() {
    static const std::string folder = [] {
        char path[] = "/tmp/korvalin-command-line-fuzz-XXXXXX";
        if (mkdtemp(path) == nullptr || !FilesSetCurrentDirectory(path))
            abort();
        return std::string(path) + "/";
    }();
    return folder;
}

int FilesInFolder() {
    int count = 0;
    DIR* dir = opendir(Folder().c_str());
    while (dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

// Only the scratch folder's files are named: a path could reach a device whose text never ends
// (a terminal, a pipe).
bool NamesScratchFilesOnly(const std::string& line) {
    for (size_t at = line.find('@'); at != std::string::npos; at = line.find('@', at + 1)) {
        if (at > 0 && !strchr(" \t\r\n", line[at - 1]))
            continue;  // not the start of a word
        if (line.find_first_of("/\\", at) < line.find_first_of(" \t\r\n", at))
            return false;
    }
    return true;
}

template <size_t size>
void CheckEnded(const char (&text)[size]) {
    if (memchr(text, 0, size) == nullptr)
        abort();
}

void Check(const CommandLine& parsed, const char* line, int dosLimited) {
    CheckEnded(parsed.errorText);
    CheckEnded(parsed.listPath);
    CheckEnded(parsed.previewPath);
    CheckEnded(parsed.logPath);
    // A bad line says why; a good one has nothing to say.
    if ((parsed.bad != 0) != (parsed.errorText[0] != 0))
        abort();
    if (parsed.changeCount < 0 || parsed.changeCount > kMaxCommandChanges || parsed.testCount < 0 ||
        parsed.testCount > kMaxTestPorts ||
        (!parsed.bad && parsed.plug != kPlugNone && !parsed.test))
        abort();
    for (int i = 0; i < parsed.changeCount; ++i) {
        CheckEnded(parsed.changes[i].name);
        CheckEnded(parsed.changes[i].newName);
    }
    for (int i = 0; i < parsed.testCount; ++i)
        CheckEnded(parsed.testNames[i]);
    // A bad line never reaches a change: it never opens the dialog with its changes made.
    CommandRun run = CommandRunOf(parsed);
    if (parsed.bad && run != kRunBadCommandBox && run != kRunUsageBox && run != kRunUnattended)
        abort();
    // Nothing on a line that may have been cut counts, not even a log for its message.
    if (MayHaveBeenCut(line, dosLimited) &&
        (!parsed.bad || parsed.logPath[0] || parsed.changeCount > 0 || run != kRunBadCommandBox))
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* next = reinterpret_cast<const char*>(data);
    const char* end = next + size;
    auto piece = [&](std::string* text) {
        if (next > end)
            return false;
        const char* stop = static_cast<const char*>(memchr(next, 0, end - next));
        stop = stop != nullptr ? stop : end;
        text->assign(next, stop);
        next = stop + 1;
        return true;
    };
    std::string line, text;
    piece(&line);
    if (!NamesScratchFilesOnly(line))
        return 0;
    int files = 0;
    for (const char* name : kFileNames) {
        std::string path = Folder() + name;
        if (piece(&text)) {
            FILE* file = fopen(path.c_str(), "wb");
            fwrite(text.data(), 1, text.size(), file);
            fclose(file);
            ++files;
        } else {
            remove(path.c_str());
        }
    }
    for (int dosLimited = 0; dosLimited <= 1; ++dosLimited) {
        CommandLine parsed;
        ParseCommandLine(line.c_str(), &parsed, dosLimited);
        Check(parsed, line.c_str(), dosLimited);
    }
    // Parsing only reads: no log or listing appears beside the files given.
    if (FilesInFolder() != files)
        abort();
    return 0;
}

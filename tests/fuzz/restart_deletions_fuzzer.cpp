// tests/fuzz/restart_deletions_fuzzer.cpp: any bytes as WININIT.INI, one restart deletion added.
//
// The first byte sets how much room the disk has past the file's length (a full disk at any
// point of the write, or one that fails even where the file's bytes were); the rest is the file.
// What the edit must do is worked out here a second way, over lines, and then:
//   - every original byte is kept in order, but a final Ctrl+Z, which the new text writes over;
//   - exactly one NUL= line is added, at the start of a line, before any Ctrl+Z, in the first
//     [rename] section, which is added (after a line end where the last line had none) only
//     when there is none;
//   - the file is appended to, never rewritten, when that section is last or absent;
//   - nothing else changes; a write that fails leaves the file as it was, unless the disk
//     failed even where the file's bytes were.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "commit/restart_deletions.h"
#include "platform/host/files_native.h"

namespace {

const char kShortPath[] = "C:\\WINDOWS\\SYSTEM\\QUORVANE.DLL";

void Check(bool holds) {
    if (!holds)
        abort();
}

// A Windows directory of the fuzzer's own, holding only WININIT.INI.
const std::string& WininitPath() {
    static const std::string path = [] {
        char name[] = "/tmp/korvalin-wininit-XXXXXX";
        std::string made = mkdtemp(name);
        FilesNativeSetDirectories(made.c_str(), made.c_str());
        return made + "/" + kWininitFile;
    }();
    return path;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        fclose(file);
    }
    return text;
}

struct Line {
    size_t start, end;  // end: past its '\n', or the end of the text
    bool header, rename;
};

// The lines of `text`, each marked as a section line and as [rename]'s.
std::vector<Line> Lines(const std::string& text) {
    std::vector<Line> lines;
    for (size_t start = 0; start < text.size();) {
        size_t newline = text.find('\n', start);
        size_t end = newline == std::string::npos ? text.size() : newline + 1;
        std::string line = text.substr(start, end - start);
        size_t first = line.find_first_not_of(" \t");
        std::string name = first == std::string::npos ? "" : line.substr(first, 8);
        for (char& c : name)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        lines.push_back({start, end, name.compare(0, 1, "[") == 0, name == "[rename]"});
        start = end;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);
    // Most inputs: room enough; else 0 to 63 bytes; 0xFF: one byte fewer than the file holds.
    long room = data[0] < 0x80 ? 1 << 20 : (data[0] & 0x3F);
    if (data[0] == 0xFF && !before.empty())
        room = -1;

    // The second way: lines of the text WININIT.EXE reads, up to the first Ctrl+Z.
    const std::string seen = before.substr(0, before.find('\x1a'));
    const std::vector<Line> lines = Lines(seen);
    int rename = -1, following = -1;
    for (int i = 0; i < static_cast<int>(lines.size()) && following < 0; ++i) {
        if (rename >= 0 && lines[i].header)
            following = i;
        if (rename < 0 && lines[i].rename)
            rename = i;
    }
    const bool append = following < 0 && before.size() - seen.size() <= 1;
    const size_t place = following >= 0 ? lines[rename].end : seen.size();
    const bool lineEnd = place > 0 && before[place - 1] != '\n';
    const std::string entry = std::string("NUL=") + kShortPath + "\r\n";
    const std::string added =
        (lineEnd ? "\r\n" : "") + std::string(rename < 0 ? "[rename]\r\n" : "") + entry;
    const std::string expected =
        before.substr(0, place) + added + (append ? "" : before.substr(place));

    WininitEdit edit;
    PlanRestartDeletion(before.c_str(), before.size(), kShortPath, &edit);
    std::string planned;
    for (const char* piece : edit.pieces)
        planned += piece;
    Check(edit.place == place && edit.rewrite == !append && planned == added);

    // The new line is the only one added, in [rename], and WININIT.EXE reads it.
    const std::vector<Line> after = Lines(expected.substr(0, expected.find('\x1a')));
    int section = -1, entries = 0;
    for (const Line& line : after) {
        if (line.header)
            section = line.rename ? 1 : 0;
        if (line.start == place + added.size() - entry.size()) {
            Check(section == 1 && line.end - line.start == entry.size());
            ++entries;
        }
    }
    Check(entries == 1);

    // The writer, over a file, with the disk full where the first byte says.
    const std::string& path = WininitPath();
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(before.data(), 1, before.size(), file);
        fclose(file);
    }
    FilesNativeSetFileSizeLimit(static_cast<long>(before.size()) + room);
    int result = AddRestartDeletion(kShortPath);
    FilesNativeSetFileSizeLimit(-1);
    const std::string written = ReadFile(path);
    const bool fits = room >= 0 && expected.size() <= before.size() + static_cast<size_t>(room);
    if (fits)
        Check(result == kRestartDeletionAdded && written == expected);
    else if (room >= 0)
        Check(result == kRestartDeletionNotAdded && written == before);
    else
        Check(result != kRestartDeletionAdded && written.size() <= before.size() &&
              (result == kRestartDeletionNotPutBack || written == before));
    return 0;
}

// commit/restart_deletions.cpp: adds a file to WININIT.INI's [rename] section, to be deleted at
// the next restart.
//
// WritePrivateProfileStringA keeps one value per key, so a second "NUL=" would replace the
// first (another program's, or ours): the file is read and written whole here instead, every
// byte of it kept and the one line put in.
#include "commit/restart_deletions.h"

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/limits.h"
#include "platform/text.h"

namespace {

enum { kWininitChunk = 1024 };

const char kTextEnd = 0x1A;  // Ctrl+Z: where a text-mode reader (WININIT.EXE too) stops

}  // namespace

size_t FindRenameEntryPlace(const char* text, size_t length, int* sectionFound) {
    size_t end = 0;
    while (end < length && text[end] != kTextEnd)
        ++end;
    for (size_t line = 0; line < end;) {
        size_t start = line;
        while (start < end && (text[start] == ' ' || text[start] == '\t'))
            ++start;
        while (line < end && text[line] != '\n')
            ++line;
        if (line < end)
            ++line;  // past the line end: the next line starts here
        if (StartsWithIgnoringCase(text + start, kWininitSection) &&
            start + sizeof kWininitSection - 1 <= line) {
            *sectionFound = 1;
            return line;
        }
    }
    *sectionFound = 0;
    return end;
}

int AddRestartDeletion(const char* shortPath) {
    char path[kWindowsDirectorySize + sizeof kWininitFile + 1];
    unsigned length = FilesGetWindowsDirectory(path, kWindowsDirectorySize);
    if (length == 0 || length >= kWindowsDirectorySize)
        return 0;
    AppendText(path, sizeof path, "\\");
    AppendText(path, sizeof path, kWininitFile);

    // The whole file as it is, byte for byte (NUL-terminated for the search); a file that is
    // there but cannot be read whole is never written over.
    char* text = nullptr;
    size_t used = 0, room = 0;
    PlatformFile* file = FilesOpenForReading(path);
    int readWhole = file == nullptr && !FilesExists(path);
    while (file != nullptr) {
        if (used + 1 >= room) {
            void* grown = ResizeHeapBlock(text, room + kWininitChunk);
            if (grown == nullptr)
                break;
            text = static_cast<char*>(grown);
            room += kWininitChunk;
        }
        long got = FilesRead(file, text + used, static_cast<unsigned long>(room - 1 - used));
        if (got <= 0) {
            readWhole = got == 0;
            break;
        }
        used += static_cast<size_t>(got);
    }
    if (file != nullptr)
        FilesClose(file);
    if (text != nullptr)
        text[used] = 0;

    int sectionFound = 0;
    size_t place = text != nullptr ? FindRenameEntryPlace(text, used, &sectionFound) : 0;
    // The line before the new one must have ended; a file without the section gets it at its end.
    const char* const pieces[] = {
        place > 0 && text[place - 1] != '\n' ? "\r\n" : "",
        sectionFound ? "" : kWininitSection,
        sectionFound ? "" : "\r\n",
        kWininitDeletePrefix,
        shortPath,
        "\r\n"};
    int written = 0;
    file = readWhole ? FilesCreate(path) : nullptr;
    if (file != nullptr) {
        written = place == 0 || FilesWrite(file, text, static_cast<unsigned long>(place));
        for (const char* piece : pieces)
            written = written && FilesWrite(file, piece, static_cast<unsigned long>(TextLength(piece)));
        written = written && (place == used ||
                              FilesWrite(file, text + place, static_cast<unsigned long>(used - place)));
        // WININIT.EXE reads it at the restart: a crash before then must not lose the line.
        written = FilesFlushToDisk(file) && written;
        written = FilesClose(file) && written;
    }
    FreeHeapBlock(text);
    return written;
}

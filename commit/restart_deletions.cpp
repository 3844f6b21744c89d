// commit/restart_deletions.cpp: adds a file to WININIT.INI's [rename] section, to be deleted at
// the next restart.
//
// WritePrivateProfileStringA keeps one value per key, so a second "NUL=" would replace the
// first (another program's, or ours): the file is read and written here instead, every byte of
// it kept and the one line put in. It is changed in place and never emptied first: appended to
// where it can be, so a cut write loses at most our own line; else written over from the new
// line on, which leaves it no shorter, and put back as it was when a write fails.
#include "commit/restart_deletions.h"

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/text.h"

namespace {

enum { kWininitChunk = 1024 };

const char kTextEnd = 0x1A;  // Ctrl+Z: where a text-mode reader (WININIT.EXE too) stops
const char kLineEnd[] = "\r\n";

}  // namespace

int GetWininitPath(char* path) {
    unsigned length = FilesGetWindowsDirectory(path, kWindowsDirectorySize);
    if (length == 0 || length >= kWindowsDirectorySize)
        return 0;
    AppendText(path, kWininitPathSize, "\\");
    AppendText(path, kWininitPathSize, kWininitFile);
    // Windows 95 caches profile files, and a write another program made through the profile
    // calls may still be in the cache: on the disk after our own, it would drop our line. All
    // three names null flushes the cache (the Windows 95 note on WritePrivateProfileString's
    // page, MSDN Library 1998; Knowledge Base Q107695 for Windows 3.1).
    FilesFlushProfileCache(kWininitFile);
    return 1;
}

void PlanRestartDeletion(const char* text, size_t length, const char* shortPath,
                         WininitEdit* edit) {
    size_t end = 0;
    while (end < length && text[end] != kTextEnd)
        ++end;
    size_t sectionEnd = 0;  // where the section's first entry goes; 0: no section found
    edit->place = end;
    edit->rewrite = end + 1 < length;  // more than a final Ctrl+Z follows the text
    for (size_t line = 0; line < end;) {
        size_t start = line;
        while (start < end && (text[start] == ' ' || text[start] == '\t'))
            ++start;
        while (line < end && text[line] != '\n')
            ++line;
        if (line < end)
            ++line;  // past the line end: the next line starts here
        if (sectionEnd != 0 && text[start] == '[') {
            edit->place = sectionEnd;  // another section follows: appended, ours would be in it
            edit->rewrite = 1;
            break;
        }
        if (sectionEnd == 0 && StartsWithIgnoringCase(text + start, kWininitSection) &&
            start + sizeof kWininitSection - 1 <= line)
            sectionEnd = line;
    }
    const char** piece = edit->pieces;
    size_t place = edit->place;
    piece[0] = place > 0 && text[place - 1] != '\n' ? kLineEnd : "";
    piece[1] = sectionEnd != 0 ? "" : kWininitSection;
    piece[2] = sectionEnd != 0 ? "" : kLineEnd;
    piece[3] = kWininitDeletePrefix;
    piece[4] = shortPath;
    piece[5] = kLineEnd;
}

int AddRestartDeletion(const char* shortPath) {
    char path[kWininitPathSize];
    if (!GetWininitPath(path))
        return kRestartDeletionNotAdded;
    // Read and written through one handle, so nobody can change the file in between. A file
    // that is there but cannot be read whole is never written.
    PlatformFile* file = FilesOpenForChange(path);
    if (file == nullptr)
        return kRestartDeletionNotAdded;
    char* text = nullptr;
    size_t used = 0, room = 0;
    long got = -1;
    for (;;) {
        if (used + 1 >= room) {
            void* grown = ResizeHeapBlock(text, room + kWininitChunk);
            if (grown == nullptr)
                break;
            text = static_cast<char*>(grown);
            room += kWininitChunk;
        }
        got = FilesRead(file, text + used, static_cast<unsigned long>(room - 1 - used));
        if (got <= 0)
            break;
        used += static_cast<size_t>(got);
    }
    int result = kRestartDeletionNotAdded;
    if (got == 0) {
        text[used] = 0;
        WininitEdit edit;
        PlanRestartDeletion(text, used, shortPath, &edit);
        const char* rest = text + edit.place;
        unsigned long restLength = static_cast<unsigned long>(used - edit.place);
        int written = FilesSeek(file, static_cast<unsigned long>(edit.place));
        for (const char* piece : edit.pieces)
            written =
                written && FilesWrite(file, piece, static_cast<unsigned long>(TextLength(piece)));
        written = written && (!edit.rewrite || FilesWrite(file, rest, restLength));
        result = kRestartDeletionAdded;
        // A write that failed (a full disk) may have left part of the new text: the old bytes go
        // back over it, and the file ends where it ended.
        if (!written)
            result = FilesSeek(file, static_cast<unsigned long>(edit.place)) &&
                             FilesWrite(file, rest, restLength) && FilesCutHere(file)
                         ? kRestartDeletionNotAdded
                         : kRestartDeletionNotPutBack;
        // WININIT.EXE reads it at the restart: a crash before then must not lose the line.
        if (!FilesFlushToDisk(file) && result == kRestartDeletionAdded)
            result = kRestartDeletionNotAdded;
    }
    if (!FilesClose(file) && result == kRestartDeletionAdded)
        result = kRestartDeletionNotAdded;
    FreeHeapBlock(text);
    return result;
}

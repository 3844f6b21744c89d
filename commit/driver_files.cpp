// commit/driver_files.cpp: takes the maker's drivers off the machine once none of its boards is
// left: the OEM INF files that describe them, and the five driver files.
//
// An INF file is the maker's when the token right after its first "[Manufacturer]" is one of
// the maker's provider entries. Nothing is asked or reported.
#include "commit/ok_steps.h"
#include "inventory/registry_names.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/streams.h"
#include "platform/text.h"

namespace {

enum { kTokenSize = 1024 };

const char kManufacturerToken[] = "[Manufacturer]";
const char* const kProviderTokens[] = {"%Prov%=Marrowlink", "%Prov%=MarrowlinkM1M2",
                                       "%Prov%=VarnakTessalineBoard"};

int IsTokenSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the next token the way a "%s" conversion does: white space skipped, then everything up
// to the next white space or the end of the text (Ctrl+Z ends it, as the reader has it). Returns
// 0 at the end of the text, else 1. A token too long for the buffer is read to its end but comes
// back empty: cut, it could pass for a shorter token, or leave a tail that does. So does a token
// holding a NUL byte, which would otherwise compare equal to the text before the NUL.
int ReadToken(TextReader* reader, char* token, size_t size) {
    int c;
    do {
        c = ReadTextCharacter(reader);
    } while (IsTokenSpace(c));
    if (c < 0)
        return 0;
    size_t length = 0;
    int unusable = 0;
    for (; c >= 0 && !IsTokenSpace(c); c = ReadTextCharacter(reader)) {
        if (c == 0 || length + 1 >= size)
            unusable = 1;
        else
            token[length++] = static_cast<char>(c);
    }
    token[unusable ? 0 : length] = 0;
    return 1;
}

}  // namespace

int IsVendorInfStream(TextReader* reader) {
    char token[kTokenSize];
    while (ReadToken(reader, token, sizeof token)) {
        if (!TextEqual(token, kManufacturerToken))
            continue;
        // Only the entry right after the first section line decides.
        if (!ReadToken(reader, token, sizeof token))
            return 0;
        for (const char* provider : kProviderTokens) {
            if (TextEqual(token, provider))
                return 1;
        }
        return 0;
    }
    return 0;
}

namespace {

// Windows 95 deletes a file another program holds open, from under it: such a file is left for
// the restart to delete instead, before anything loads it again.
void RemoveFile(CommitLayer* layer, const char* name) {
    if (FilesCanDelete(name) && FilesInUse(name))
        CommitDeleteFileAtRestart(layer, name);
    else
        CommitDeleteFile(layer, name);
}

void DeleteVendorInfFiles(CommitLayer* layer, const char* pattern) {
    char name[kFileNameSize];
    FileSearch* search = FilesFindFirst(pattern, name, sizeof name);
    if (search == nullptr)
        return;
    do {
        // A file that will not open (in use, a directory) is passed over: the maker's files
        // after it must still go. Reading is all recognition needs, so read-only files open.
        TextReader reader;
        if (!OpenTextReader(&reader, name))
            continue;
        int isVendorFile = IsVendorInfStream(&reader);
        CloseTextReader(&reader);
        if (isVendorFile)
            RemoveFile(layer, name);
    } while (FilesFindNext(search, name, sizeof name));
    FilesFindClose(search);
}

}  // namespace

void RemoveDriverFiles(CommitLayer* layer) {
    // Room for the fetched directory and both appended levels, so appending cannot overflow.
    char path[kWindowsDirectorySize + sizeof "\\INF\\other" - 1];
    unsigned length = FilesGetWindowsDirectory(path, kWindowsDirectorySize);
    if (length == 0 || length >= kWindowsDirectorySize)
        return;  // not obtained, or not whole
    AppendText(path, sizeof path, "\\INF");
    if (CommitSetCurrentDirectory(layer, path))
        DeleteVendorInfFiles(layer, "oem*.inf");
    AppendText(path, sizeof path, "\\other");
    if (CommitSetCurrentDirectory(layer, path))
        DeleteVendorInfFiles(layer, "*.inf");

    char systemDirectory[kWindowsDirectorySize];
    length = FilesGetSystemDirectory(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory)
        return;
    // The driver files are named without a directory: looked up anywhere else, the names
    // could hit another program's files.
    if (!CommitSetCurrentDirectory(layer, systemDirectory))
        return;
    for (const char* driverFile : kMakersDriverFiles) {
        if (FilesExists(driverFile))
            RemoveFile(layer, driverFile);
    }
}

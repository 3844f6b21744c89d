// platform/file_copy.cpp: a file's bytes copied to a new file over the platform's file calls,
// for both builds.
#include "platform/files.h"

// Read and written here rather than by the system's own copy, so that the copy is put on the
// disk through its own handle before it is closed.
int FilesCopy(const char* from, const char* to) {
    PlatformFile* in = FilesOpenForReading(from);
    if (in == nullptr)
        return 0;
    PlatformFile* out = FilesCreateNew(to);
    int copied = out != nullptr;
    char buffer[4096];
    long got = 0;
    while (copied && (got = FilesRead(in, buffer, sizeof buffer)) > 0)
        copied = FilesWrite(out, buffer, static_cast<unsigned long>(got));
    copied = copied && got == 0;
    FilesClose(in);
    if (out != nullptr) {
        copied = copied && FilesFlushToDisk(out);
        copied = FilesClose(out) && copied;
        if (!copied)
            FilesDelete(to);  // a partial copy would pass for the file
    }
    return copied;
}

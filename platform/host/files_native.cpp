// platform/host/files_native.cpp: the file operations over the host file system (native build).
//
// Behaves like the Windows file system wherever the clean-up can tell: '\' separates levels,
// names and patterns match without regard to (ASCII) case, directories cannot be opened or
// deleted as files, and a read-only file (no write permission) cannot be deleted. The current
// directory is the layer's own, so tests never move the process's working directory.
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/host/files_native.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/host/change_journal.h"

struct FileSearch {
    std::vector<std::string> names;
    size_t next = 0;
};

namespace {

struct NativeFilesState {
    bool hasWindowsDirectory = false;
    bool hasSystemDirectory = false;
    std::string windowsDirectory;
    std::string systemDirectory;
    std::string currentDirectory;   // empty: the process's working directory
    std::vector<std::string> held;  // host paths another program holds open
    std::vector<std::string> heldWithoutSharing;
    std::string dosRoot;      // the host folder that is drive C:, or ""
    long fileSizeLimit = -1;  // no write takes a file past it; -1: none
    unsigned long lastFailure = 0;
};

NativeFilesState& State() {
    static NativeFilesState state;
    return state;
}

// '*' any run of characters, '?' any one character, everything else itself in any case.
bool MatchesPattern(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != 0) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern != 0 &&
                   (*pattern == '?' || LowerAscii(*pattern) == LowerAscii(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

std::string WorkingDirectory() {
    NativeFilesState& state = State();
    if (!state.currentDirectory.empty())
        return state.currentDirectory;
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string("/");
}

// The entry of `directory` that `component` names: the exact name when it exists, else the
// first entry equal to it without regard to case, else `component` itself (a name to create or
// to find missing).
std::string FindEntry(const std::string& directory, const std::string& component) {
    std::string exact = directory + "/" + component;
    struct stat info;
    if (lstat(exact.c_str(), &info) == 0)
        return component;
    std::string found = component;
    if (DIR* dir = opendir(directory.empty() ? "/" : directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (EqualIgnoringCase(entry->d_name, component.c_str())) {
                found = entry->d_name;
                break;
            }
        }
        closedir(dir);
    }
    return found;
}

// A Windows-style name (relative to the current directory, or absolute) as a host path.
std::string HostPath(const char* name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string& dosRoot = State().dosRoot;
    if (!dosRoot.empty() && (path.compare(0, 2, "C:") == 0 || path.compare(0, 2, "c:") == 0))
        path = dosRoot + path.substr(2);  // a drive-C: name, in the folder that stands for it
    std::string resolved = path.compare(0, 1, "/") == 0 ? std::string() : WorkingDirectory();
    if (resolved == "/")
        resolved.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            size_t slash = resolved.rfind('/');
            resolved.erase(slash == std::string::npos ? 0 : slash);
            continue;
        }
        resolved += "/" + FindEntry(resolved, component);
    }
    return resolved.empty() ? std::string("/") : resolved;
}

unsigned ReportDirectory(bool has, const std::string& directory, char* buffer, unsigned size) {
    if (!has)
        return 0;
    if (directory.size() + 1 > size)
        return static_cast<unsigned>(directory.size() + 1);
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<unsigned>(directory.size());
}

bool IsDirectory(const std::string& hostPath) {
    struct stat info;
    return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Keeps `error` as the Windows error of a failed call; returns 0, the failure.
int Fail(unsigned long error) {
    State().lastFailure = error;
    return 0;
}

// The Windows error the host's errno stands for, kept as a failed call's; returns 0.
int FailWithErrno() {
    const struct {
        int host;
        unsigned long windows;
    } errors[] = {
        {ENOENT, 2},
        {ENOTDIR, 3},
        {EACCES, kFileErrorAccessDenied},
        {EPERM, kFileErrorAccessDenied},
        {EROFS, kFileErrorWriteProtect},
        {ENOSPC, kFileErrorDiskFull},
        {EEXIST, 183},
        {ENOTEMPTY, 145},
    };
    int host = errno;
    for (const auto& e : errors)
        if (e.host == host)
            return Fail(e.windows);
    return Fail(31);  // ERROR_GEN_FAILURE
}

// A change the test's hook refuses fails as a full disk would.
int Allowed(int change, const char* name) {
    return AllowPlatformChange(change, name) ? 1 : Fail(kFileErrorDiskFull);
}

bool HeldWithoutSharing(const std::string& hostPath) {
    const std::vector<std::string>& list = State().heldWithoutSharing;
    return std::find(list.begin(), list.end(), hostPath) != list.end();
}

}  // namespace

void FilesNativeSetDirectories(const char* windowsDirectory, const char* systemDirectory) {
    NativeFilesState& state = State();
    state.hasWindowsDirectory = windowsDirectory != nullptr;
    state.windowsDirectory = windowsDirectory ? windowsDirectory : "";
    state.hasSystemDirectory = systemDirectory != nullptr;
    state.systemDirectory = systemDirectory ? systemDirectory : "";
    state.currentDirectory.clear();
    state.held.clear();
    state.heldWithoutSharing.clear();
    state.fileSizeLimit = -1;
}

unsigned FilesGetWindowsDirectory(char* buffer, unsigned size) {
    NativeFilesState& state = State();
    return ReportDirectory(state.hasWindowsDirectory, state.windowsDirectory, buffer, size);
}

unsigned FilesGetSystemDirectory(char* buffer, unsigned size) {
    NativeFilesState& state = State();
    return ReportDirectory(state.hasSystemDirectory, state.systemDirectory, buffer, size);
}

int FilesSetCurrentDirectory(const char* path) {
    std::string hostPath = HostPath(path);
    if (!IsDirectory(hostPath))
        return 0;
    State().currentDirectory = hostPath;
    return 1;
}

FileSearch* FilesFindFirst(const char* pattern, char* name, unsigned size) {
    std::string text = pattern;
    std::replace(text.begin(), text.end(), '\\', '/');
    size_t slash = text.rfind('/');
    std::string directory = slash == std::string::npos
                                ? WorkingDirectory()
                                : HostPath(text.substr(0, slash + 1).c_str());
    std::string namePattern = slash == std::string::npos ? text : text.substr(slash + 1);

    FileSearch* search = new FileSearch;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
                continue;
            if (MatchesPattern(namePattern.c_str(), entry->d_name))
                search->names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    // A stable order, so a test sees the same walk every run.
    std::sort(search->names.begin(), search->names.end());
    if (!FilesFindNext(search, name, size)) {
        delete search;
        return nullptr;
    }
    return search;
}

int FilesFindNext(FileSearch* search, char* name, unsigned size) {
    while (search->next < search->names.size()) {
        const std::string& found = search->names[search->next++];
        if (found.size() < size) {
            memcpy(name, found.c_str(), found.size() + 1);
            return 1;
        }
    }
    return 0;
}

void FilesFindClose(FileSearch* search) {
    delete search;
}

int FilesExists(const char* name) {
    struct stat info;
    return stat(HostPath(name).c_str(), &info) == 0 ? 1 : 0;
}

int FilesDelete(const char* name) {
    std::string hostPath = HostPath(name);
    struct stat info;
    if (lstat(hostPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    // Windows will not delete a read-only file; the host would (even more so as root).
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Fail(kFileErrorAccessDenied);
    if (!Allowed(kChangeFileDeleted, name))
        return 0;
    return unlink(hostPath.c_str()) == 0 ? 1 : FailWithErrno();
}

int FilesCanDelete(const char* name) {
    struct stat info;
    if (lstat(HostPath(name).c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 ? 1 : 0;
}

void FilesNativeSetInUse(const char* name, int held) {
    std::string hostPath = HostPath(name);
    for (std::vector<std::string>* list : {&State().held, &State().heldWithoutSharing})
        list->erase(std::remove(list->begin(), list->end(), hostPath), list->end());
    if (held)
        State().held.push_back(hostPath);
    if (held == kFileHeldWithoutSharing)
        State().heldWithoutSharing.push_back(hostPath);
}

int FilesInUse(const char* name) {
    const std::vector<std::string>& list = State().held;
    return FilesExists(name) && std::find(list.begin(), list.end(), HostPath(name)) != list.end();
}

void FilesNativeSetDosDrive(const char* hostRoot) {
    State().dosRoot = hostRoot != nullptr ? hostRoot : "";
}

namespace {

// One name as 8.3: kept (in capitals) when it is one, else its first six letters and "~1", with
// the characters an 8.3 name cannot hold (+ , ; = [ ]) as underscores, as Windows makes them.
std::string ShortName(const std::string& name) {
    size_t dot = name.rfind('.');
    std::string base = name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    auto dosLetters = [](const std::string& text) {
        std::string kept;
        for (char c : text)
            if (c != ' ' && c != '.')
                kept += std::string("+,;=[]").find(c) != std::string::npos
                            ? '_'
                            : static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return kept;
    };
    std::string shortBase = dosLetters(base), shortExtension = dosLetters(extension);
    if (base.empty() || base.size() > 8 || shortBase.size() != base.size() ||
        extension.size() > 3 || shortExtension.size() != extension.size() ||
        name.find_first_of("+,;=[]") != std::string::npos)
        shortBase = shortBase.substr(0, 6) + "~1";
    return shortExtension.empty() ? shortBase : shortBase + "." + shortExtension.substr(0, 3);
}

}  // namespace

unsigned FilesGetShortPath(const char* path, char* buffer, unsigned size) {
    if (!FilesExists(path))
        return 0;
    std::string result = path;
    const std::string& root = State().dosRoot;
    std::string hostPath = HostPath(path);
    if (!root.empty() && hostPath.compare(0, root.size() + 1, root + "/") == 0) {
        result = "C:";
        for (size_t start = root.size() + 1; start <= hostPath.size();) {
            size_t end = std::min(hostPath.find('/', start), hostPath.size());
            result += "\\" + ShortName(hostPath.substr(start, end - start));
            start = end + 1;
        }
    }
    if (result.size() >= size)
        return 0;
    memcpy(buffer, result.c_str(), result.size() + 1);
    return static_cast<unsigned>(result.size());
}

int FilesCreateDirectory(const char* path) {
    return mkdir(HostPath(path).c_str(), 0755) == 0 ? 1 : FailWithErrno();
}

int FilesRemoveDirectory(const char* path) {
    return rmdir(HostPath(path).c_str()) == 0 ? 1 : FailWithErrno();
}

unsigned long FilesLastError() {
    return State().lastFailure;
}

// A PlatformFile is the C library's stream, remembering its name for the change hook.
struct PlatformFile {
    FILE* stream;
    std::string name;
};

// Opens `name` with the C library's `mode` as Windows would let it: never a directory, never a
// file held without sharing. An empty mode picks "r+b" for a file that is there, "w+b" else.
static PlatformFile* OpenStream(const char* name, const char* mode) {
    std::string hostPath = HostPath(name);
    if (IsDirectory(hostPath)) {
        Fail(kFileErrorAccessDenied);
        return nullptr;  // the host would open a directory; Windows does not
    }
    if (HeldWithoutSharing(hostPath)) {
        Fail(kFileErrorSharingViolation);
        return nullptr;
    }
    struct stat info;
    if (*mode == 0)
        mode = stat(hostPath.c_str(), &info) == 0 ? "r+b" : "w+b";
    FILE* stream = fopen(hostPath.c_str(), mode);
    if (stream == nullptr)
        FailWithErrno();
    return stream != nullptr ? new PlatformFile{stream, name} : nullptr;
}

PlatformFile* FilesOpenForReading(const char* name) {
    return OpenStream(name, "rb");
}

PlatformFile* FilesCreate(const char* name) {
    return OpenStream(name, "wb");
}

PlatformFile* FilesOpenForChange(const char* name) {
    return OpenStream(name, "");
}

PlatformFile* FilesCreateNew(const char* name) {
    struct stat info;
    if (lstat(HostPath(name).c_str(), &info) == 0) {
        Fail(80);  // ERROR_FILE_EXISTS
        return nullptr;
    }
    return FilesCreate(name);
}

PlatformFile* FilesStandardOutput() {
    static PlatformFile standardOutput{stdout, "-"};
    return &standardOutput;
}

long FilesRead(PlatformFile* file, void* buffer, unsigned long size) {
    size_t got = fread(buffer, 1, size, file->stream);
    if (got == 0 && ferror(file->stream))
        return FailWithErrno() - 1;
    return static_cast<long>(got);
}

int FilesWrite(PlatformFile* file, const void* data, unsigned long size) {
    long limit = State().fileSizeLimit;
    long at = limit >= 0 ? ftell(file->stream) : 0;
    if (size > 0 && limit >= 0 && at >= 0 &&
        static_cast<unsigned long>(at) + size > static_cast<unsigned long>(limit)) {
        // A full disk: what fits is written, then the write fails.
        unsigned long fits = at < limit ? static_cast<unsigned long>(limit - at) : 0;
        fwrite(data, 1, fits, file->stream);
        return Fail(kFileErrorDiskFull);
    }
    return fwrite(data, 1, size, file->stream) == size ? 1 : FailWithErrno();
}

void FilesNativeSetFileSizeLimit(long bytes) {
    State().fileSizeLimit = bytes;
}

int FilesSeek(PlatformFile* file, unsigned long offset) {
    return fseek(file->stream, static_cast<long>(offset), SEEK_SET) == 0 ? 1 : FailWithErrno();
}

int FilesCutHere(PlatformFile* file) {
    if (fflush(file->stream) != 0)
        return FailWithErrno();
    long at = ftell(file->stream);
    return at >= 0 && ftruncate(fileno(file->stream), at) == 0 ? 1 : FailWithErrno();
}

void FilesFlushProfileCache(const char*) {}

int FilesFlushToDisk(PlatformFile* file) {
    if (fflush(file->stream) != 0)
        return FailWithErrno();
    if (!Allowed(kChangeFileFlushed, file->name.c_str()))
        return 0;
    return fsync(fileno(file->stream)) == 0 ? 1 : FailWithErrno();
}

int FilesClose(PlatformFile* file) {
    if (file == FilesStandardOutput())
        return fflush(file->stream) == 0;
    int closed = fclose(file->stream) == 0 ? 1 : FailWithErrno();
    delete file;
    return closed;
}

void ReadLocalTime(LocalTime* now) {
    time_t seconds = time(nullptr);
    struct tm local = {};
    localtime_r(&seconds, &local);
    now->year = static_cast<uint16_t>(local.tm_year + 1900);
    now->month = static_cast<uint16_t>(local.tm_mon + 1);
    now->day = static_cast<uint16_t>(local.tm_mday);
    now->hour = static_cast<uint16_t>(local.tm_hour);
    now->minute = static_cast<uint16_t>(local.tm_min);
}

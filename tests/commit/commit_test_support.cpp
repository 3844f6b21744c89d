// tests/commit/commit_test_support.cpp: registry checks and scratch directories, both builds.
#include "tests/commit/commit_test_support.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/regedit_text.h"
#include "platform/registry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(UpperAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(UpperAscii(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

void DeleteTreeBelow(RegistryKey parent, const char* name) {
    RegistryKey key;
    if (RegistryOpenKey(parent, name, &key) != kRegistryOk)
        return;
    for (;;) {
        char child[256];
        unsigned long length = sizeof child;
        if (RegistryEnumKey(key, 0, child, &length) != kRegistryOk)
            break;
        DeleteTreeBelow(key, child);
        RegistryKey check;
        if (RegistryOpenKey(key, child, &check) == kRegistryOk) {
            RegistryCloseKey(check);
            ADD_FAILURE() << "cannot delete " << child;
            break;
        }
    }
    RegistryCloseKey(key);
    RegistryDeleteKey(parent, name);
}

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}
#endif

}  // namespace

bool KeyExists(const char* path) {
    RegistryKey key;
    if (RegistryOpenKey(RegistryRoot(), path, &key) != kRegistryOk)
        return false;
    RegistryCloseKey(key);
    return true;
}

std::string ValueBytes(const char* path, const char* valueName) {
    RegistryKey key;
    if (RegistryOpenKey(RegistryRoot(), path, &key) != kRegistryOk)
        return "<missing>";
    char data[256];
    unsigned long size = sizeof data;
    long result = RegistryQueryValue(key, valueName, data, &size);
    RegistryCloseKey(key);
    return result == kRegistryOk ? std::string(data, size) : std::string("<missing>");
}

void DeleteTree(const char* path) {
    DeleteTreeBelow(RegistryRoot(), path);
    EXPECT_FALSE(KeyExists(path)) << path;
}

void SetPortNameValue(const char* path, const char* name) {
    RegistryKey key;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), path, &key)) << path;
    RegistrySetStringValue(key, "PORTNAME", name, static_cast<unsigned long>(strlen(name) + 1));
    RegistryCloseKey(key);
}

std::string ExportAfter(const std::string& before, const std::vector<std::string>& deletedKeys,
                        const std::vector<std::pair<std::string, std::string>>& portNames) {
    std::vector<RegTextKey> keys, kept;
    std::string error;
    if (!ParseRegeditText(before.data(), before.size(), &keys, &error)) {
        ADD_FAILURE() << "cannot read the export: " << error;
        return std::string();
    }
    for (const std::string& deleted : deletedKeys) {
        bool found = false;
        for (const RegTextKey& key : keys)
            found = found || SameIgnoringCase(key.path, deleted);
        EXPECT_TRUE(found) << "the test deletes a key that was not there: " << deleted;
    }
    for (RegTextKey& key : keys) {
        bool deleted = false;
        for (const std::string& path : deletedKeys)
            deleted = deleted || SameIgnoringCase(key.path, path);
        if (deleted)
            continue;
        for (const auto& [path, name] : portNames) {
            if (!SameIgnoringCase(key.path, path))
                continue;
            RegTextValue written{"PORTNAME", kRegTypeString, name + '\0'};
            auto existing = std::find_if(
                key.values.begin(), key.values.end(),
                [](const RegTextValue& v) { return SameIgnoringCase(v.name, "PORTNAME"); });
            if (existing != key.values.end()) {
                existing->data = written.data;
                existing->type = written.type;
            } else {
                key.values.push_back(written);
                std::stable_sort(key.values.begin(), key.values.end(),
                                 [](const RegTextValue& a, const RegTextValue& b) {
                                     return LessIgnoringCase(a.name, b.name);
                                 });
            }
        }
        kept.push_back(std::move(key));
    }
    return FormatRegeditText(kept);
}

BoardRecord& FindBoard(const char* instanceName, int32_t boardType) {
    for (int32_t b = 0; b < g_inventory.boardCount; ++b) {
        BoardRecord& board = g_inventory.boards[b];
        if (board.boardType == boardType && strcmp(board.instanceName, instanceName) == 0)
            return board;
    }
    ADD_FAILURE() << "no board " << instanceName << " of type " << boardType;
    static BoardRecord none;
    return none;
}

void RenamePort(PortRecord& port, const char* name) {
    ASSERT_EQ(1, port.itemKind);
    ASSERT_LT(strlen(name), sizeof port.portName);
    strcpy(port.portName, name);
    port.owningBoard->modified = 1;
}

ScratchDirectories::ScratchDirectories() {
#ifdef _WIN32
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(sizeof buffer, buffer);
    savedCurrentDirectory_ = buffer;
    if (!GetWindowsDirectoryA(buffer, sizeof buffer))
        return;
    windows = buffer;
    if (!GetSystemDirectoryA(buffer, sizeof buffer))
        return;
    system = buffer;
    inf = windows + "\\INF";
    other = inf + "\\other";
    for (const std::string* folder : {&inf, &other}) {
        if (CreateDirectoryA(folder->c_str(), nullptr))
            folders_.push_back(*folder);
    }
    ok_ = true;
#else
    char pattern[] = "/tmp/korvalin-commit-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return;
    root_ = pattern;
    windows = root_ + "/WINDOWS";
    inf = windows + "/INF";
    other = inf + "/other";
    system = windows + "/SYSTEM";
    for (const std::string* folder : {&windows, &inf, &other, &system}) {
        if (mkdir(folder->c_str(), 0755) != 0)
            return;
    }
    FilesNativeSetDirectories(windows.c_str(), system.c_str());
    ok_ = true;
#endif
}

ScratchDirectories::~ScratchDirectories() {
#ifdef _WIN32
    for (const std::string& file : files_) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
        RemoveDirectoryA(file.c_str());
    }
    SetCurrentDirectoryA(savedCurrentDirectory_.c_str());
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
        RemoveDirectoryA(folder->c_str());
#else
    FilesNativeSetDirectories(nullptr, nullptr);
    if (!root_.empty())
        nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
#endif
}

std::string ScratchDirectories::Write(const std::string& directory, const std::string& name,
                                      const std::string& content) {
    std::string path = directory + kSeparator + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file) << "cannot write " << path;
    if (file != nullptr) {
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
    }
    files_.push_back(path);
    return path;
}

std::string ScratchDirectories::MakeDirectory(const std::string& directory,
                                              const std::string& name) {
    std::string path = directory + kSeparator + name;
#ifdef _WIN32
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
#else
    EXPECT_EQ(0, mkdir(path.c_str(), 0755)) << path;
#endif
    files_.push_back(path);
    return path;
}

void ScratchDirectories::MakeReadOnly(const std::string& path) {
#ifdef _WIN32
    EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << path;
#else
    EXPECT_EQ(0, chmod(path.c_str(), 0444)) << path;
#endif
}

bool ScratchDirectories::Exists(const std::string& path) const {
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat info;
    return stat(path.c_str(), &info) == 0;
#endif
}

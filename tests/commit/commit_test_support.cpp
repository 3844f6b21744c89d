// tests/commit/commit_test_support.cpp: registry checks and scratch directories, both builds.
#include "tests/commit/commit_test_support.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/host/regedit_text.h"
#include "platform/registry.h"
#include "tests/support/fixture_registry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host/files_native.h"
#endif

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

void DeleteTreeBelow(RegistryKey parent, const char* name) {
    RegistryKey key;
    if (RegistryOpenKey(parent, name, &key) != kRegistryOk)
        return;
    char child[256];
    unsigned long length = sizeof child;
    while (RegistryEnumKey(key, 0, child, &length) == kRegistryOk) {
        DeleteTreeBelow(key, child);
        length = sizeof child;
    }
    RegistryCloseKey(key);
    RegistryDeleteKey(parent, name);
}

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

}  // namespace

bool KeyExists(const char* path) {
    RegistryKey key;
    if (RegistryOpenKey(RegistryRoot(), path, &key) != kRegistryOk)
        return false;
    RegistryCloseKey(key);
    return true;
}

std::string PortNameBytes(const char* path) {
    RegistryKey key;
    char data[64];
    unsigned long size = sizeof data;
    if (RegistryOpenKey(RegistryRoot(), path, &key) != kRegistryOk)
        return "<missing>";
    long result = RegistryQueryValue(key, "PORTNAME", data, &size);
    RegistryCloseKey(key);
    return result == kRegistryOk ? std::string(data, size) : "<missing>";
}

void DeleteTree(const char* path) {
    DeleteTreeBelow(RegistryRoot(), path);
    ASSERT_FALSE(KeyExists(path)) << path;
}

std::string ExportAfter(const std::string& before, const std::vector<std::string>& deleted,
                        const std::vector<std::pair<std::string, std::string>>& written) {
    std::vector<RegTextKey> keys, kept;
    std::string error;
    EXPECT_TRUE(ParseRegeditText(before.data(), before.size(), &keys, &error)) << error;
    for (RegTextKey& key : keys) {
        auto same = [&key](const std::string& path) { return Upper(path) == Upper(key.path); };
        if (std::any_of(deleted.begin(), deleted.end(), same))
            continue;
        for (const auto& [path, name] : written) {
            if (!same(path))
                continue;
            auto value =
                std::find_if(key.values.begin(), key.values.end(),
                             [](const RegTextValue& v) { return Upper(v.name) == "PORTNAME"; });
            if (value == key.values.end())
                value = key.values.insert(key.values.end(), RegTextValue{"PORTNAME", 0, ""});
            *value = RegTextValue{"PORTNAME", kRegTypeString, name + '\0'};
        }
        std::stable_sort(key.values.begin(), key.values.end(),
                         [](const RegTextValue& a, const RegTextValue& b) {
                             return Upper(a.name) < Upper(b.name);
                         });
        kept.push_back(key);
    }
    return FormatRegeditText(kept);
}

void Rename(PortRecord& port, const char* name) {
    ASSERT_EQ(1, port.itemKind);
    snprintf(port.portName, sizeof port.portName, "%s", name);
    port.owningBoard->modified = 1;
}

ScratchDirectories::ScratchDirectories() {
    char buffer[260] = "";
#ifdef _WIN32
    GetCurrentDirectoryA(sizeof buffer, buffer);
    savedCurrentDirectory_ = buffer;
    GetWindowsDirectoryA(buffer, sizeof buffer);
    windows = buffer;
    GetSystemDirectoryA(buffer, sizeof buffer);
    system = buffer;
    inf = windows + "\\INF";
    other = inf + "\\other";
    if (CreateDirectoryA(other.c_str(), nullptr))
        made_.push_back(other);
#else
    snprintf(buffer, sizeof buffer, "/tmp/korvalin-commit-XXXXXX");
    windows = std::string(mkdtemp(buffer)) + "/WINDOWS";
    inf = windows + "/INF";
    other = inf + "/other";
    system = windows + "/SYSTEM";
    made_.push_back(buffer);
    for (const std::string* folder : {&windows, &inf, &other, &system}) {
        mkdir(folder->c_str(), 0755);
        made_.push_back(*folder);
    }
    FilesNativeSetDirectories(windows.c_str(), system.c_str());
#endif
}

ScratchDirectories::~ScratchDirectories() {
#ifdef _WIN32
    SetCurrentDirectoryA(savedCurrentDirectory_.c_str());
#else
    FilesNativeSetDirectories(nullptr, nullptr);
#endif
    for (auto path = made_.rbegin(); path != made_.rend(); ++path) {
#ifdef _WIN32
        SetFileAttributesA(path->c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        if (remove(path->c_str()) != 0) {
#ifdef _WIN32
            RemoveDirectoryA(path->c_str());
#else
            rmdir(path->c_str());
#endif
        }
    }
}

std::string ScratchDirectories::Write(const std::string& directory, const char* name,
                                      const std::string& text) {
    std::string path = directory + kSeparator + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file) << path;
    if (file) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    made_.push_back(path);
    return path;
}

std::string ScratchDirectories::MakeDirectory(const std::string& directory, const char* name) {
    std::string path = directory + kSeparator + name;
#ifdef _WIN32
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
#else
    EXPECT_EQ(0, mkdir(path.c_str(), 0755)) << path;
#endif
    made_.push_back(path);
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

HeldFile::HeldFile(const std::string& path, bool withoutSharing) : path_(path) {
#ifdef _WIN32
    std::string command = std::string("\"Z:") + KORVALIN_HOLD_FILE_EXE + "\" \"" + path + "\"" +
                          (withoutSharing ? " none" : "");
    for (char& c : command)
        c = c == '/' ? '\\' : c;
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << command;
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    for (int waited = 0; !FilesInUse(path.c_str()) && waited < 20000; waited += 50)
        Sleep(50);
#else
    FilesNativeSetInUse(path.c_str(), withoutSharing ? kFileHeldWithoutSharing : 1);
#endif
    EXPECT_TRUE(FilesInUse(path.c_str())) << path;
}

HeldFile::~HeldFile() {
#ifdef _WIN32
    if (process_ != nullptr) {
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 20000);
        CloseHandle(process_);
    }
#else
    FilesNativeSetInUse(path_.c_str(), 0);
#endif
}

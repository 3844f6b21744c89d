// tests/commit/commit_test_support.h: registry checks and scratch directories for the commit,
// clean-up and end-to-end tests, in both builds.
#ifndef KORVALIN_TESTS_COMMIT_COMMIT_TEST_SUPPORT_H
#define KORVALIN_TESTS_COMMIT_COMMIT_TEST_SUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "inventory/inventory.h"

bool KeyExists(const char* path);
// The PORTNAME value's bytes (a string's terminator included), or "<missing>".
std::string PortNameBytes(const char* path);
// Deletes a key with everything below it: a change made behind the inventory's back.
void DeleteTree(const char* path);
// The export `before` with `deleted` keys gone and PORTNAME written as `written` says.
std::string ExportAfter(const std::string& before, const std::vector<std::string>& deleted,
                        const std::vector<std::pair<std::string, std::string>>& written = {});
// What Apply does to one port: the new name, and its board marked modified.
void Rename(PortRecord& port, const char* name);

// A Windows directory with INF and INF\other, and a system directory: natively a temporary
// tree the file layer is pointed at; under Wine the prefix's own, where only what the test
// made is removed afterwards.
class ScratchDirectories {
  public:
    ScratchDirectories();
    ~ScratchDirectories();
    std::string windows, inf, other, system;
    std::string Write(const std::string& directory, const char* name, const std::string& text);
    std::string MakeDirectory(const std::string& directory, const char* name);
    void MakeReadOnly(const std::string& path);
    bool Exists(const std::string& path) const;

  private:
    std::vector<std::string> made_;  // removed afterwards, last first
    std::string savedCurrentDirectory_;
};

// Holds a file open for as long as it lives, as a program using it does: under Wine a helper
// process with the file open for reading and no write sharing (`withoutSharing`: no sharing at
// all, so it cannot even be read); natively the file layer is told, as the host cannot show it.
class HeldFile {
  public:
    explicit HeldFile(const std::string& path, bool withoutSharing = false);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

  private:
    std::string path_;
    void* process_ = nullptr;
};

#endif

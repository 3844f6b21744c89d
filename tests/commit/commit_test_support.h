// tests/commit/commit_test_support.h: registry checks and scratch directories for the commit
// and clean-up tests, in both builds.
#ifndef KORVALIN_TESTS_COMMIT_COMMIT_TEST_SUPPORT_H
#define KORVALIN_TESTS_COMMIT_COMMIT_TEST_SUPPORT_H

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "inventory/inventory.h"

// --- registry

bool KeyExists(const char* path);
// The raw bytes of a value (a string's terminator included), or "<missing>".
std::string ValueBytes(const char* path, const char* valueName);
// Deletes a key and everything below it, as a change made behind the inventory's back.
void DeleteTree(const char* path);
void SetPortNameValue(const char* path, const char* name);

// The export `before` with `deletedKeys` gone and PORTNAME written in the keys of `portNames`,
// in the form ExportTestRegistry gives.
std::string ExportAfter(const std::string& before, const std::vector<std::string>& deletedKeys,
                        const std::vector<std::pair<std::string, std::string>>& portNames = {});

// --- inventory, as the dialog changes it

BoardRecord& FindBoard(const char* instanceName, int32_t boardType);
// What Apply does to one port: the new name, and the board marked modified.
void RenamePort(PortRecord& port, const char* name);

// --- files

// A Windows directory with INF and INF\other, and a system directory. Natively they are a
// fresh temporary tree that the file layer is pointed at; under Wine they are the prefix's own,
// and only what the test made there is removed afterwards.
class ScratchDirectories {
  public:
    ScratchDirectories();
    ~ScratchDirectories();
    bool ok() const { return ok_; }

    std::string windows, inf, other, system;

    // Each returns the file's full path.
    std::string Write(const std::string& directory, const std::string& name,
                      const std::string& content);
    std::string MakeDirectory(const std::string& directory, const std::string& name);
    void MakeReadOnly(const std::string& path);
    bool Exists(const std::string& path) const;

  private:
    bool ok_ = false;
    std::string root_;                  // native: the temporary tree
    std::vector<std::string> files_;    // Windows: what to remove afterwards
    std::vector<std::string> folders_;  // Windows: folders made, removed deepest first
    std::string savedCurrentDirectory_;
};

#endif

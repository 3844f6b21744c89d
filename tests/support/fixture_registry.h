// tests/support/fixture_registry.h: puts REGEDIT4 fixtures into the registry under test.
//
// Natively that is the in-memory registry; under Wine it is Wine's real registry, where the
// tests own everything below Enum\BIOS, Enum\Root, Enum\ISAPNP, Enum\MF and
// System\CurrentControlSet\Services\Class, and clear it between cases.
#ifndef KORVALIN_TESTS_SUPPORT_FIXTURE_REGISTRY_H
#define KORVALIN_TESTS_SUPPORT_FIXTURE_REGISTRY_H

#include <string>

// Absolute path of a file in tests/fixtures, in the form the running build's fopen takes.
std::string FixturePath(const char* name);

// A file of tests/fixtures as text, line ends as "\n" whatever the file has; a missing file is a
// test failure and gives "".
std::string ReadFixtureText(const char* name);

// Removes every key the tests own.
void ClearTestRegistry();

// Clears the owned keys, then writes the fixture. Returns false (with a gtest failure
// message in *error) when the file is missing or malformed.
bool LoadFixtureText(const std::string& text, std::string* error = nullptr);
bool LoadFixtureFile(const char* name, std::string* error = nullptr);

// The owned keys and their values as REGEDIT4 text, keys in enumeration order, so that one
// fixture exports the same on both registries.
std::string ExportTestRegistry();

#endif

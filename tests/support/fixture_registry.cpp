// tests/support/fixture_registry.cpp: REGEDIT4 fixtures in and out of the registry under test.
//
// Natively the registry is the in-memory one and a fixture simply replaces it. Under Wine the
// tests share the prefix's real registry, so they write and clear only the five subtrees they
// own, and a fixture that names any other key (beyond the empty ancestors of those five) is
// refused in both builds alike. The export lists the owned keys in enumeration order with each
// key's values sorted by name, because the two registries enumerate values in different orders.
#include "tests/support/fixture_registry.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host/regedit_text.h"
#include "platform/registry.h"
#ifndef _WIN32
#include "platform/host/memory_registry.h"
#endif

namespace {

// In the order HKEY_LOCAL_MACHINE enumerates them, so the export follows enumeration order.
const char* const kOwnedRoots[] = {
    "Enum\\BIOS",
    "Enum\\ISAPNP",
    "Enum\\MF",
    "Enum\\PCI",
    "Enum\\PCMCIA",
    "Enum\\Root",
    "System\\CurrentControlSet\\Services\\Class",
};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `path` is `prefix` or below it, without regard to case.
bool IsAtOrBelow(const std::string& path, const char* prefix) {
    size_t n = strlen(prefix);
    if (path.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (UpperAscii(path[i]) != UpperAscii(prefix[i]))
            return false;
    }
    return path.size() == n || path[n] == '\\';
}

bool IsOwned(const std::string& path) {
    for (const char* root : kOwnedRoots) {
        if (IsAtOrBelow(path, root))
            return true;
    }
    return false;
}

bool IsAncestorOfOwned(const std::string& path) {
    if (path.empty())
        return true;
    for (const char* root : kOwnedRoots) {
        if (IsAtOrBelow(root, path.c_str()) && strlen(root) > path.size())
            return true;
    }
    return false;
}

bool ReportFailure(const std::string& message, std::string* error) {
    if (error) {
        *error = message;
    } else {
        ADD_FAILURE() << message;
    }
    return false;
}

// Parses a fixture and checks that it stays inside the keys the tests own.
bool ParseFixture(const std::string& text, std::vector<RegTextKey>* keys, std::string* error) {
    std::string parseError;
    if (!ParseRegeditText(text.data(), text.size(), keys, &parseError)) {
        *error = "malformed fixture: " + parseError;
        return false;
    }
    for (const RegTextKey& key : *keys) {
        if (IsOwned(key.path))
            continue;
        if (IsAncestorOfOwned(key.path) && key.values.empty())
            continue;
        *error =
            "fixture key HKEY_LOCAL_MACHINE\\" + key.path + " is outside the keys the tests own";
        return false;
    }
    return true;
}

// Values in the export: by name, lower-cased as the registry orders key names.
bool ValueNameLess(const RegTextValue& a, const RegTextValue& b) {
    size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(LowerAscii(a.name[i]));
        unsigned char cb = static_cast<unsigned char>(LowerAscii(b.name[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.name.size() < b.name.size();
}

std::string FormatExport(std::vector<RegTextKey> keys) {
    for (RegTextKey& key : keys) {
        std::stable_sort(key.values.begin(), key.values.end(), ValueNameLess);
    }
    return FormatRegeditText(keys);
}

}  // namespace

std::string FixturePath(const char* name) {
    std::string path = KORVALIN_FIXTURE_DIR;
    path += '/';
    path += name;
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

namespace {

bool ReadWholeFile(const std::string& path, std::string* text) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text->append(buffer, got);
    fclose(file);
    return true;
}

}  // namespace

std::string ReadFixtureText(const char* name) {
    std::string path = FixturePath(name), text, lines;
    if (!ReadWholeFile(path, &text))
        ADD_FAILURE() << "cannot open fixture " << path;
    for (char c : text)
        if (c != '\r')
            lines += c;
    return lines;
}

bool LoadFixtureFile(const char* name, std::string* error) {
    std::string path = FixturePath(name), text;
    if (!ReadWholeFile(path, &text))
        return ReportFailure("cannot open fixture " + path, error);
    std::string loadError;
    if (!LoadFixtureText(text, &loadError))
        return ReportFailure(path + ": " + loadError, error);
    return true;
}

#ifndef _WIN32

void ClearTestRegistry() {
    MemoryRegistryReset();
}

bool LoadFixtureText(const std::string& text, std::string* error) {
    std::vector<RegTextKey> keys;
    std::string message;
    if (!ParseFixture(text, &keys, &message))
        return ReportFailure(message, error);
    MemoryRegistryReset();
    if (!MemoryRegistryLoad(text.data(), text.size(), &message)) {
        return ReportFailure("malformed fixture: " + message, error);
    }
    return true;
}

std::string ExportTestRegistry() {
    std::string saved = MemoryRegistrySave();
    std::vector<RegTextKey> all, owned;
    std::string error;
    if (!ParseRegeditText(saved.data(), saved.size(), &all, &error)) {
        ADD_FAILURE() << "the memory registry saved text it cannot read: " << error;
        return std::string();
    }
    for (RegTextKey& key : all) {
        for (const char* root : kOwnedRoots) {
            if (!IsAtOrBelow(key.path, root))
                continue;
            // The Windows side names the five roots as spelt here; below them both sides
            // report the names as the keys were created.
            key.path.replace(0, strlen(root), root);
            owned.push_back(std::move(key));
            break;
        }
    }
    return FormatExport(std::move(owned));
}

#else  // _WIN32

namespace {

// Deletes `path` below `parent` with everything under it, deepest keys first.
bool DeleteTree(HKEY parent, const char* path) {
    HKEY key;
    LONG result = RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return true;
    if (result != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open " << path << " to clear it: error " << result;
        return false;
    }
    bool ok = true;
    for (;;) {
        char name[1024];
        DWORD nameLength = sizeof name;
        FILETIME written;
        result = RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, &written);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot list the subkeys of " << path << ": error " << result;
            ok = false;
            break;
        }
        // A subkey that will not go would come back at index 0 forever: stop instead.
        if (!DeleteTree(key, name)) {
            ok = false;
            break;
        }
    }
    RegCloseKey(key);
    if (!ok)
        return false;
    result = RegDeleteKeyA(parent, path);
    if (result != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot delete " << path << ": error " << result;
        return false;
    }
    return true;
}

void ExportKey(HKEY key, const std::string& path, std::vector<RegTextKey>* keys) {
    RegTextKey out;
    out.path = path;
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataLength);
        if (result == ERROR_MORE_DATA && dataLength > data.size()) {
            data.resize(dataLength);
            --index;
            continue;
        }
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot read the values of " << path << ": error " << result;
            break;
        }
        RegTextValue value;
        value.name.assign(name.data(), nameLength);
        value.type = type;
        value.data.assign(reinterpret_cast<const char*>(data.data()), dataLength);
        out.values.push_back(std::move(value));
    }
    keys->push_back(std::move(out));
    for (DWORD index = 0;; ++index) {
        char child[1024];
        DWORD childLength = sizeof child;
        FILETIME written;
        LONG result =
            RegEnumKeyExA(key, index, child, &childLength, nullptr, nullptr, nullptr, &written);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot list the subkeys of " << path << ": error " << result;
            break;
        }
        HKEY childKey;
        result = RegOpenKeyExA(key, child, 0, KEY_ALL_ACCESS, &childKey);
        if (result != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot open " << path << "\\" << child << ": error " << result;
            continue;
        }
        ExportKey(childKey, path + "\\" + child, keys);
        RegCloseKey(childKey);
    }
}

}  // namespace

void ClearTestRegistry() {
    for (const char* root : kOwnedRoots)
        DeleteTree(HKEY_LOCAL_MACHINE, root);
}

bool LoadFixtureText(const std::string& text, std::string* error) {
    std::vector<RegTextKey> keys;
    std::string message;
    if (!ParseFixture(text, &keys, &message))
        return ReportFailure(message, error);
    ClearTestRegistry();
    for (const RegTextKey& key : keys) {
        HKEY handle;
        LONG result =
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.path.c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
        if (result != ERROR_SUCCESS) {
            return ReportFailure("cannot create HKEY_LOCAL_MACHINE\\" + key.path + ": error " +
                                     std::to_string(result),
                                 error);
        }
        for (const RegTextValue& value : key.values) {
            result = RegSetValueExA(handle, value.name.c_str(), 0, value.type,
                                    reinterpret_cast<const BYTE*>(value.data.data()),
                                    static_cast<DWORD>(value.data.size()));
            if (result != ERROR_SUCCESS) {
                RegCloseKey(handle);
                return ReportFailure("cannot write value \"" + value.name + "\" of " + key.path +
                                         ": error " + std::to_string(result),
                                     error);
            }
        }
        RegCloseKey(handle);
    }
    return true;
}

std::string ExportTestRegistry() {
    std::vector<RegTextKey> keys;
    for (const char* root : kOwnedRoots) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, root, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
            continue;
        }
        ExportKey(key, root, &keys);
        RegCloseKey(key);
    }
    return FormatExport(std::move(keys));
}

#endif  // _WIN32

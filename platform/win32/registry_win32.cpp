// platform/win32/registry_win32.cpp: the registry operations over ADVAPI32 (Windows build).
//
// One call each (deletion excepted), ANSI entry points only, HKEY_LOCAL_MACHINE as the root; the
// results are the Win32 error codes unchanged.
#include "platform/registry.h"

#include "platform/limits.h"

RegistryKey RegistryRoot() {
    return HKEY_LOCAL_MACHINE;
}

long RegistryOpenKey(RegistryKey parent, const char* path, RegistryKey* opened) {
    return RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, opened);
}

long RegistryEnumKey(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength) {
    FILETIME lastWritten;
    return RegEnumKeyExA(key, index, name, nameLength, nullptr, nullptr, nullptr, &lastWritten);
}

long RegistryQueryValue(RegistryKey key, const char* valueName, void* data, unsigned long* size) {
    DWORD type;
    return RegQueryValueExA(key, valueName, nullptr, &type, static_cast<BYTE*>(data), size);
}

long RegistryEnumValue(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength,
                       unsigned long* type, void* data, unsigned long* size) {
    DWORD nameSize = *nameLength, valueType = 0, dataSize = *size;
    long result = RegEnumValueA(key, index, name, &nameSize, nullptr, &valueType,
                                static_cast<BYTE*>(data), &dataSize);
    *nameLength = nameSize;
    *type = valueType;
    *size = dataSize;
    return result;
}

long RegistrySetStringValue(RegistryKey key, const char* valueName, const char* data,
                            unsigned long size) {
    return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
}

// Windows 95's RegDeleteKeyA takes a key's whole subtree with it, Windows NT's and Wine's
// refuse a key that has subkeys. Refusing on every system keeps the one rule the commit, its
// dry run and the undo folder count on: nothing below the named key is ever lost unseen.
long RegistryDeleteKey(RegistryKey parent, const char* subkey) {
    HKEY key;
    long result = RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return result;
    char name[kRegistryNameSize];
    DWORD length = sizeof name;
    FILETIME lastWritten;
    result = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, &lastWritten);
    RegCloseKey(key);
    if (result != ERROR_NO_MORE_ITEMS)
        return result == ERROR_SUCCESS || result == ERROR_MORE_DATA ? ERROR_ACCESS_DENIED : result;
    return RegDeleteKeyA(parent, subkey);
}

long RegistryCloseKey(RegistryKey key) {
    return RegCloseKey(key);
}

long RegistryFlush() {
    return RegFlushKey(HKEY_LOCAL_MACHINE);
}

// platform/host/regedit_text.h: REGEDIT4 text, parsed into keys and values and formatted back.
//
// Both builds have it, korvalin.exe never links it: the native registry loads and saves through
// it, and the Windows tests write fixtures into the real registry from it.
#ifndef KORVALIN_PLATFORM_HOST_REGEDIT_TEXT_H
#define KORVALIN_PLATFORM_HOST_REGEDIT_TEXT_H

#include <stddef.h>

#include <string>
#include <vector>

#include "platform/regedit_lines.h"

struct RegTextValue {
    std::string name;  // empty for the default value (@=)
    unsigned long type;
    std::string data;  // raw bytes; a string value's data includes its terminating NUL
};

struct RegTextKey {
    std::string path;  // below HKEY_LOCAL_MACHINE, levels separated by '\', no leading '\'
    std::vector<RegTextValue> values;
};

// Parses a whole file. Key lines must name HKEY_LOCAL_MACHINE. On a malformed file returns
// false with *error "line N: what is wrong" and *keys untouched.
bool ParseRegeditText(const char* text, size_t length, std::vector<RegTextKey>* keys,
                      std::string* error);

// "REGEDIT4", then each key in the given order with its values.
std::string FormatRegeditText(const std::vector<RegTextKey>& keys);

#endif

// inventory/value_read.cpp: reading a registry text value into a fixed-width field.
#include "inventory/value_read.h"

#include <string.h>

#include "inventory/inventory.h"
#include "platform/text.h"

int ReadTextValue(RegistryKey key, const char* name, char* field, unsigned long size) {
    char buffer[kInstanceNameSize];  // larger than every value field the walks read
    if (size > sizeof buffer)
        return 0;
    unsigned long length = size;
    if (RegistryQueryValue(key, name, buffer, &length) != kRegistryOk)
        return 0;
    return TextValueFits(buffer, length, field, size);
}

int TextValueFits(const void* data, unsigned long length, char* field, unsigned long size) {
    const char* text = static_cast<const char*>(data);
    // Registry strings need not carry their terminator; a value that fills the whole field
    // without one is a name one character too long for it.
    unsigned long terminator = 0;
    while (terminator < length && text[terminator] != 0)
        ++terminator;
    if (terminator >= size)
        return 0;
    memcpy(field, text, terminator);
    field[terminator] = 0;
    return 1;
}

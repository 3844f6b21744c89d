// inventory/value_read.h: reading a registry text value into a fixed-width field.
#ifndef KORVALIN_INVENTORY_VALUE_READ_H
#define KORVALIN_INVENTORY_VALUE_READ_H

#include "platform/registry.h"

// Reads value `name` as text into `field` of `size` characters. Returns 1 when the value was
// read and its text, up to its first NUL, fits the field with a terminator; the field then holds
// it. Returns 0 otherwise and leaves the field as it was: data longer than the field, and data
// that fills the field without a NUL, are too long, never cut.
int ReadTextValue(RegistryKey key, const char* name, char* field, unsigned long size);
// The same for data already read (`length` bytes): 1 and `field` filled, or 0 and it is not.
int TextValueFits(const void* data, unsigned long length, char* field, unsigned long size);

#endif

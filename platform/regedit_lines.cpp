// platform/regedit_lines.cpp: REGEDIT4 key and value lines, written piece by piece to a sink.
//
// REGEDIT4 escapes only '\' and '"' inside quotes; anything a quoted string cannot carry (line
// ends, NUL bytes, a missing terminator) goes out as hex so that importing gives the same bytes.
#include "platform/regedit_lines.h"

#include <string.h>

#include "platform/text.h"

namespace {

const char kDigits[] = "0123456789abcdef";

int Put(RegTextSink sink, void* context, const char* text) {
    return sink(context, text, TextLength(text));
}

int PutQuoted(RegTextSink sink, void* context, const char* text, size_t length) {
    if (!Put(sink, context, "\""))
        return 0;
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != '\\' && text[i] != '"')
            continue;
        if (!sink(context, text + start, i - start) || !Put(sink, context, "\\"))
            return 0;
        start = i;  // the character itself goes out with the next run
    }
    return sink(context, text + start, length - start) && Put(sink, context, "\"");
}

// A string value goes out as "..." only when reading that back gives the same bytes.
int WritableAsQuotedString(const unsigned char* data, size_t size) {
    if (size == 0 || data[size - 1] != 0)
        return 0;
    for (size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return 0;
    }
    return 1;
}

// Lower-case hex without leading zeros ("0" for zero), or all eight digits.
void FormatHex(unsigned long number, int allDigits, char* text) {
    char digits[9];
    int count = 0;
    do {
        digits[count++] = kDigits[number & 15];
        number >>= 4;
    } while ((allDigits && count < 8) || (!allDigits && number != 0));
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    text[count] = 0;
}

int PutHexList(RegTextSink sink, void* context, const unsigned char* data, size_t size,
               size_t column) {
    for (size_t i = 0; i < size; ++i) {
        if (i > 0) {
            if (!Put(sink, context, ","))
                return 0;
            ++column;
            // Regedit keeps lines under 80 columns, continuing with "\" and two spaces.
            if (column + 3 > 78) {
                if (!Put(sink, context, "\\\n  "))
                    return 0;
                column = 2;
            }
        }
        char byte[3] = {kDigits[data[i] >> 4], kDigits[data[i] & 15], 0};
        if (!Put(sink, context, byte))
            return 0;
        column += 2;
    }
    return 1;
}

}  // namespace

int WriteRegeditKeyLine(const char* path, RegTextSink sink, void* context) {
    if (!Put(sink, context, "\n[HKEY_LOCAL_MACHINE"))
        return 0;
    if (path[0] != 0 && (!Put(sink, context, "\\") || !Put(sink, context, path)))
        return 0;
    return Put(sink, context, "]\n");
}

int WriteRegeditValueLine(const char* name, unsigned long type, const void* data, size_t size,
                          RegTextSink sink, void* context) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    size_t column = 0;  // of the line so far, for the hex list's line breaks
    if (name[0] == 0) {
        if (!Put(sink, context, "@"))
            return 0;
        column = 1;
    } else {
        if (!PutQuoted(sink, context, name, TextLength(name)))
            return 0;
        column = TextLength(name) + 2;
        for (const char* c = name; *c != 0; ++c)
            column += (*c == '\\' || *c == '"') ? 1 : 0;
    }
    if (!Put(sink, context, "="))
        return 0;
    ++column;
    if (type == kRegTypeString && WritableAsQuotedString(bytes, size)) {
        if (!PutQuoted(sink, context, static_cast<const char*>(data), size - 1))
            return 0;
    } else if (type == kRegTypeDword && size == 4) {
        unsigned long number = 0;
        for (int b = 3; b >= 0; --b)
            number = (number << 8) | bytes[b];
        char text[16] = "dword:";
        FormatHex(number, 1, text + 6);
        if (!Put(sink, context, text))
            return 0;
    } else {
        char text[24] = "hex:";
        if (type != kRegTypeBinary) {
            memcpy(text, "hex(", 4);
            FormatHex(type, 0, text + 4);
            AppendText(text, sizeof text, "):");
        }
        if (!Put(sink, context, text))
            return 0;
        if (!PutHexList(sink, context, bytes, size, column + TextLength(text)))
            return 0;
    }
    return Put(sink, context, "\n");
}

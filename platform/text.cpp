// platform/text.cpp: the program's own string functions (see text.h for why).
#include "platform/text.h"

size_t TextLength(const char* text) {
    const char* end = text;
    while (*end != 0)
        ++end;
    return static_cast<size_t>(end - text);
}

int TextEqual(const char* a, const char* b) {
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

int TextBeginsWith(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix) {
        if (*text != *prefix)
            return 0;  // also ends a text shorter than the prefix, at its NUL
    }
    return 1;
}

const char* FindCharacter(const char* text, char c) {
    for (; *text != 0; ++text) {
        if (*text == c)
            return text;
    }
    return nullptr;
}

const char* FindLastCharacter(const char* text, char c) {
    const char* found = nullptr;
    for (; *text != 0; ++text) {
        if (*text == c)
            found = text;
    }
    return found;
}

const char* FindText(const char* text, const char* part) {
    for (; *text != 0; ++text) {
        if (TextBeginsWith(text, part))
            return text;
    }
    return *part == 0 ? text : nullptr;
}

void CopyText(char* to, const char* from) {
    while ((*to++ = *from++) != 0) {
    }
}

void AppendText(char* text, size_t size, const char* piece) {
    if (size == 0)
        return;
    size_t used = TextLength(text);
    while (*piece != 0 && used + 1 < size)
        text[used++] = *piece++;
    text[used] = 0;
}

void AppendNumber(char* text, size_t size, unsigned long number) {
    char digits[24];
    char* first = digits + sizeof digits - 1;
    *first = 0;
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    AppendText(text, size, first);
}

void FormatText(char* text, size_t size, const char* format, const char* piece) {
    if (size == 0)
        return;
    text[0] = 0;
    const char* mark = FindText(format, "%s");
    if (mark == nullptr) {
        AppendText(text, size, format);
        return;
    }
    size_t before = static_cast<size_t>(mark - format);
    if (before >= size)
        before = size - 1;
    for (size_t i = 0; i < before; ++i)
        text[i] = format[i];
    text[before] = 0;
    AppendText(text, size, piece);
    AppendText(text, size, mark + 2);
}

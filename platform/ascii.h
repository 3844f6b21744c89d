// platform/ascii.h: ASCII letter case, the only case Windows 95's registry and file names fold.
//
// Not the C library's tolower: its answer depends on the locale, and bytes above 0x7F must
// compare as they are on both builds.
#ifndef KORVALIN_PLATFORM_ASCII_H
#define KORVALIN_PLATFORM_ASCII_H

// 'A'..'Z' as 'a'..'z'; every other byte unchanged.
inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 1 when both texts are the same but for the letter case of ASCII letters, else 0.
inline int EqualIgnoringCase(const char* a, const char* b) {
    for (; *a != 0 && LowerAscii(*a) == LowerAscii(*b); ++a, ++b) {
    }
    return LowerAscii(*a) == LowerAscii(*b);
}

// 1 when `text` begins with `prefix`, ASCII letters compared without regard to case, else 0.
// A text shorter than the prefix does not begin with it.
inline int StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix) {
        if (LowerAscii(*text) != LowerAscii(*prefix))
            return 0;  // also ends a text shorter than the prefix, at its NUL
    }
    return 1;
}

#endif

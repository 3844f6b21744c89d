// platform/text.h: NUL-terminated 8-bit text, measured, compared, searched and built.
//
// korvalin.exe links no C runtime (Windows 95 as first shipped has none to offer), so these are
// the only string functions the program has. Every comparison is byte for byte; ASCII case
// folding is platform/ascii.h's. The builder functions never write past `size` and always
// terminate: a text that does not fit is cut, never overrun.
#ifndef KORVALIN_PLATFORM_TEXT_H
#define KORVALIN_PLATFORM_TEXT_H

#include <stddef.h>

size_t TextLength(const char* text);

// 1 when both texts hold the same bytes, else 0.
int TextEqual(const char* a, const char* b);

// 1 when `text` begins with `prefix`, byte for byte, else 0.
int TextBeginsWith(const char* text, const char* prefix);

// The first (FindCharacter) or last (FindLastCharacter) `c` in `text`, or null; the first
// place `part` stands in `text` (FindText), or null.
const char* FindCharacter(const char* text, char c);
const char* FindLastCharacter(const char* text, char c);
const char* FindText(const char* text, const char* part);

// Copies `from` with its terminator; the caller has made sure it fits.
void CopyText(char* to, const char* from);

// The builder: appends to the text already in `text` (`size` characters, terminator
// included), cutting what does not fit. AppendNumber writes plain decimal.
void AppendText(char* text, size_t size, const char* piece);
void AppendNumber(char* text, size_t size, unsigned long number);
// `format` with its first "%s" replaced by `piece` (a '%' in `piece` is only text), from the
// start of `text`; a format without "%s" is copied as it is.
void FormatText(char* text, size_t size, const char* format, const char* piece);

#endif

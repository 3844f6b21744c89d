// cmdline/command_words.h: the command line's words, and the first fault found in them, as the
// parser and the @FILE expansion share them.
#ifndef KORVALIN_CMDLINE_COMMAND_WORDS_H
#define KORVALIN_CMDLINE_COMMAND_WORDS_H

#include <stddef.h>

#include "cmdline/command_line.h"

// Room for the longest value kept (a file name) and a little more, so that a value one
// character too long is still seen whole and refused rather than cut.
enum { kTokenSize = kCommandPathSize + 8 };

struct Token {
    char text[kTokenSize];
    int tooLong;  // the word did not fit `text`
    int quoted;   // a quoted word is always a value, never an option
};

// The next word from *cursor: blanks separate words, double quotes group blanks into one and
// are dropped. Backslashes are plain characters, as in every path. Returns 0 at the end.
int NextToken(const char** cursor, Token* token);
// Records the first fault only: it is the one the user meets first when reading the line.
// 1: this was the first, and the caller may add to its message.
int Fail(CommandLine* parsed, const char* format, const char* piece);
// The command line `text` with every unquoted word @FILE replaced by that file's words, into
// `out` (`size` bytes); a bad file makes the line bad and gives no word.
void ExpandArgumentFiles(const char* text, CommandLine* parsed, char* out, size_t size);

#endif

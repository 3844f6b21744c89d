// cmdline/command_words.cpp: the command line's words, with each @FILE replaced by the words of
// that file.
#include <string.h>

#include "cmdline/command_texts.h"
#include "cmdline/command_words.h"
#include "platform/streams.h"

namespace {

int IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The line being expanded: every byte written is checked against `size`, the terminator's
// included.
struct Expansion {
    char* out;
    size_t size;
    size_t used;
    size_t fileBytes;  // the words of every @FILE so far
};

// Appends `length` bytes; 0 (and nothing written) when they do not fit.
int Put(Expansion* line, const char* text, size_t length) {
    if (line->used + length >= line->size)
        return 0;
    memcpy(line->out + line->used, text, length);
    line->used += length;
    line->out[line->used] = 0;
    return 1;
}

// Appends the words of the file `name`, each line end a blank. A file that cannot be read, goes
// over the limit or leaves a quote open gives no word at all (its last one may be cut, or swallow
// the rest of the line) and makes the line bad.
void AppendArgumentFile(CommandLine* parsed, const char* name, Expansion* line) {
    TextReader reader;
    if (!OpenTextReader(&reader, name)) {
        Fail(parsed, kArgumentFileText, name);
        return;
    }
    size_t start = line->used;
    unsigned long lineNumber = 1, quoteLine = 0;  // 0: no quote open
    const char* fault = nullptr;
    int c;
    do {
        c = ReadTextCharacter(&reader);
        // The file's end ends its last line too, and parts its words from the next; a NUL would
        // end the whole line.
        char byte = c < 0 ? '\n' : c == 0 ? ' ' : static_cast<char>(c);
        // A quote closes on its own line, as on the command line.
        if (byte == '"')
            quoteLine = quoteLine ? 0 : lineNumber;
        if (byte == '\n' && quoteLine)
            fault = kUnclosedQuoteText;
        lineNumber += byte == '\n';
        if ((c >= 0 && ++line->fileBytes > kArgumentFileSize) || !Put(line, &byte, 1))
            fault = kArgumentFileTooLongText;
    } while (fault == nullptr && c >= 0);
    CloseTextReader(&reader);
    if (fault != nullptr) {
        line->used = start;
        line->out[start] = 0;
        if (Fail(parsed, fault, name) && fault == kUnclosedQuoteText)
            AppendNumber(parsed->errorText, sizeof parsed->errorText, quoteLine);
    }
}

}  // namespace

int NextToken(const char** cursor, Token* token) {
    const char* c = *cursor;
    while (IsBlank(*c))
        ++c;
    if (*c == 0) {
        *cursor = c;
        return 0;
    }
    size_t length = 0;
    int inQuotes = 0;
    token->tooLong = 0;
    token->quoted = 0;
    for (; *c != 0 && (inQuotes || !IsBlank(*c)); ++c) {
        if (*c == '"') {
            inQuotes = !inQuotes;
            token->quoted = 1;
        } else if (length + 1 < sizeof token->text) {
            token->text[length++] = *c;
        } else {
            token->tooLong = 1;
        }
    }
    token->text[length] = 0;
    *cursor = c;
    return 1;
}

int Fail(CommandLine* parsed, const char* format, const char* piece) {
    if (parsed->bad)
        return 0;
    parsed->bad = 1;
    FormatText(parsed->errorText, sizeof parsed->errorText, format, piece);
    return 1;
}

void ExpandArgumentFiles(const char* text, CommandLine* parsed, char* out, size_t size) {
    Expansion line = {out, size, 0, 0};
    out[0] = 0;
    Token token;
    for (const char* cursor = text;;) {
        while (IsBlank(*cursor))
            ++cursor;
        const char* start = cursor;
        if (!NextToken(&cursor, &token))
            break;
        parsed->hasArguments = 1;
        if (!token.quoted && token.text[0] == '@') {
            if (token.tooLong)
                Fail(parsed, kArgumentFileText, token.text + 1);
            else
                AppendArgumentFile(parsed, token.text + 1, &line);
            continue;
        }
        if (!Put(&line, start, static_cast<size_t>(cursor - start)) || !Put(&line, " ", 1)) {
            Fail(parsed, kValueTooLongText, token.text);
            break;
        }
    }
}

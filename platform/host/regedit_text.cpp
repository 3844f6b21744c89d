// platform/host/regedit_text.cpp: REGEDIT4 text parsed into keys and values, and formatted back.
//
// The parser reads the subset of REGEDIT4 that Windows 95's registry editor writes: key lines
// under HKEY_LOCAL_MACHINE, "string", dword: and hex:/hex(n): values with line continuation,
// comments and blank lines. Anything else is an error naming its line; nothing is returned
// until the whole file has been read, so a caller never sees half a tree.
#include "platform/host/regedit_text.h"

#include <string.h>

#include "platform/ascii.h"

namespace {

struct TextLine {
    const char* text;  // not NUL-terminated
    size_t length;     // without the line end
    long number;       // 1-based
};

// Physical lines; a '\r' before '\n' (or at the very end) belongs to the line end.
std::vector<TextLine> SplitLines(const char* text, size_t length) {
    std::vector<TextLine> lines;
    size_t start = 0;
    long number = 1;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || text[i] == '\n') {
            size_t end = i;
            if (end > start && text[end - 1] == '\r')
                --end;
            if (i < length || end > start)
                lines.push_back({text + start, end - start, number});
            start = i + 1;
            ++number;
        }
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The hex digits from data[*k] on (before `end`), as a number; *k moves past them. More than
// eight digits leave *k more than eight further on.
unsigned long HexNumber(const char* data, size_t end, size_t* k) {
    unsigned long number = 0;
    for (size_t start = *k; *k < end && HexDigit(data[*k]) >= 0 && *k <= start + 8; ++*k)
        number = number * 16 + static_cast<unsigned long>(HexDigit(data[*k]));
    return number;
}

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
    // The prefix is compared no further than its own end, so `text` need not be terminated.
    return length >= strlen(prefix) && StartsWithIgnoringCase(text, prefix);
}

bool EqualsNoCase(const char* text, size_t length, const char* word) {
    return length == strlen(word) && StartsWithNoCase(text, length, word);
}

// Reads the lines of one file; every failure sets the error and returns false.
class Parser {
  public:
    Parser(const std::vector<TextLine>& lines, std::string* error) : lines_(lines), error_(error) {}

    bool Parse(std::vector<RegTextKey>* keys);

  private:
    bool Fail(long line, const std::string& what) {
        if (error_)
            *error_ = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    bool ParseKeyLine(const char* p, size_t n, long line, std::vector<RegTextKey>* keys);
    bool ParseValueLine(const char* p, size_t n, size_t* lineIndex, RegTextKey* key);
    bool ParseQuoted(const char* p, size_t n, size_t* pos, long line, std::string* out);
    bool ParseHexList(const char* p, size_t n, size_t pos, size_t* lineIndex, std::string* out);

    const std::vector<TextLine>& lines_;
    std::string* error_;
};

bool Parser::Parse(std::vector<RegTextKey>* keys) {
    size_t i = 0;
    // The header: the first line that is not blank.
    for (;; ++i) {
        if (i == lines_.size()) {
            return Fail(lines_.empty() ? 1 : lines_.back().number, "no REGEDIT4 header");
        }
        const char* p = lines_[i].text;
        size_t n = lines_[i].length;
        if (i == 0 && n >= 3 && memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
            p += 3;
            n -= 3;
        }
        while (n > 0 && IsBlank(*p))
            ++p, --n;
        while (n > 0 && IsBlank(p[n - 1]))
            --n;
        if (n == 0)
            continue;
        if (n != 8 || memcmp(p, "REGEDIT4", 8) != 0) {
            return Fail(lines_[i].number, "expected the REGEDIT4 header");
        }
        ++i;
        break;
    }

    std::vector<RegTextKey> parsed;
    for (; i < lines_.size(); ++i) {
        const char* p = lines_[i].text;
        size_t n = lines_[i].length;
        long line = lines_[i].number;
        while (n > 0 && IsBlank(*p))
            ++p, --n;
        while (n > 0 && IsBlank(p[n - 1]))
            --n;
        if (n == 0 || *p == ';')
            continue;
        if (*p == '[') {
            if (!ParseKeyLine(p, n, line, &parsed))
                return false;
        } else if (*p == '"' || *p == '@') {
            if (parsed.empty())
                return Fail(line, "value before any key line");
            if (!ParseValueLine(p, n, &i, &parsed.back()))
                return false;
        } else {
            return Fail(line, "expected a [key] line, a value line or a comment");
        }
    }
    keys->swap(parsed);
    return true;
}

bool Parser::ParseKeyLine(const char* p, size_t n, long line, std::vector<RegTextKey>* keys) {
    if (p[n - 1] != ']')
        return Fail(line, "key line does not end with ']'");
    const char* name = p + 1;
    size_t length = n - 2;
    if (length > 0 && name[0] == '-')
        return Fail(line, "deleting keys is not supported");
    size_t rootLength = 0;
    while (rootLength < length && name[rootLength] != '\\')
        ++rootLength;
    if (!EqualsNoCase(name, rootLength, "HKEY_LOCAL_MACHINE") &&
        !EqualsNoCase(name, rootLength, "HKLM")) {
        return Fail(line, "key is not below HKEY_LOCAL_MACHINE: " + std::string(name, rootLength));
    }
    RegTextKey key;
    if (rootLength < length) {
        const char* path = name + rootLength + 1;
        size_t pathLength = length - rootLength - 1;
        // Every level needs a name: no empty level, no leading or trailing '\'.
        size_t levelLength = 0;
        for (size_t k = 0; k <= pathLength; ++k) {
            if (k == pathLength || path[k] == '\\') {
                if (levelLength == 0)
                    return Fail(line, "empty key name in the path");
                levelLength = 0;
            } else if (path[k] == '\0') {
                return Fail(line, "NUL character in a key name");
            } else {
                ++levelLength;
            }
        }
        key.path.assign(path, pathLength);
    }
    keys->push_back(std::move(key));
    return true;
}

// A "..." string starting at p[*pos]; REGEDIT4 escapes only '\' and '"'.
bool Parser::ParseQuoted(const char* p, size_t n, size_t* pos, long line, std::string* out) {
    size_t k = *pos + 1;
    std::string text;
    for (;; ++k) {
        if (k >= n)
            return Fail(line, "string has no closing '\"'");
        char c = p[k];
        if (c == '"')
            break;
        if (c == '\\') {
            if (k + 1 >= n)
                return Fail(line, "string has no closing '\"'");
            char next = p[k + 1];
            if (next != '\\' && next != '"') {
                return Fail(line, std::string("unknown escape \\") + next + " in a string");
            }
            text += next;
            ++k;
        } else {
            text += c;
        }
    }
    *pos = k + 1;
    out->swap(text);
    return true;
}

// hex bytes separated by ',', a trailing '\' continuing the list on the next line.
bool Parser::ParseHexList(const char* p, size_t n, size_t pos, size_t* lineIndex,
                          std::string* out) {
    long line = lines_[*lineIndex].number;
    std::string bytes;
    bool afterByte = false;  // a byte was just read: only ',' or the end may follow
    for (;;) {
        while (pos < n && IsBlank(p[pos]))
            ++pos;
        if (pos == n)
            break;
        char c = p[pos];
        if (afterByte) {
            if (c != ',')
                return Fail(line, "expected ',' between hex bytes");
            ++pos;
            afterByte = false;
            continue;
        }
        if (c == '\\') {
            for (size_t k = pos + 1; k < n; ++k) {
                if (!IsBlank(p[k]))
                    return Fail(line, "text after the line continuation '\\'");
            }
            if (*lineIndex + 1 >= lines_.size()) {
                return Fail(line, "line continuation '\\' at the end of the file");
            }
            ++*lineIndex;
            p = lines_[*lineIndex].text;
            n = lines_[*lineIndex].length;
            line = lines_[*lineIndex].number;
            pos = 0;
            continue;
        }
        int high = HexDigit(c);
        if (high < 0)
            return Fail(line, std::string("bad hex byte starting with '") + c + "'");
        int value = high;
        ++pos;
        if (pos < n && HexDigit(p[pos]) >= 0) {
            value = value * 16 + HexDigit(p[pos]);
            ++pos;
            if (pos < n && HexDigit(p[pos]) >= 0)
                return Fail(line, "hex byte of more than two digits");
        }
        bytes += static_cast<char>(value);
        afterByte = true;
    }
    out->swap(bytes);
    return true;
}

bool Parser::ParseValueLine(const char* p, size_t n, size_t* lineIndex, RegTextKey* key) {
    long line = lines_[*lineIndex].number;
    RegTextValue value;
    size_t pos = 0;
    if (*p == '@') {
        pos = 1;
    } else {
        if (!ParseQuoted(p, n, &pos, line, &value.name))
            return false;
        if (value.name.find('\0') != std::string::npos) {
            return Fail(line, "NUL character in a value name");
        }
    }
    while (pos < n && IsBlank(p[pos]))
        ++pos;
    if (pos == n || p[pos] != '=')
        return Fail(line, "expected '=' after the value name");
    ++pos;
    while (pos < n && IsBlank(p[pos]))
        ++pos;
    if (pos == n)
        return Fail(line, "value has no data");

    const char* data = p + pos;
    size_t rest = n - pos;
    if (*data == '"') {
        if (!ParseQuoted(p, n, &pos, line, &value.data))
            return false;
        value.data += '\0';
        value.type = kRegTypeString;
        if (pos != n)
            return Fail(line, "text after the string's closing '\"'");
    } else if (StartsWithNoCase(data, rest, "dword:")) {
        size_t k = 6;
        unsigned long number = HexNumber(data, rest, &k);
        if (k > 6 + 8)
            return Fail(line, "dword of more than eight hex digits");
        if (k == 6)
            return Fail(line, "dword has no hex digits");
        if (k != rest)
            return Fail(line, "text after the dword");
        value.type = kRegTypeDword;
        for (int b = 0; b < 4; ++b)
            value.data += static_cast<char>((number >> (8 * b)) & 0xFF);
    } else if (StartsWithNoCase(data, rest, "hex:")) {
        value.type = kRegTypeBinary;
        if (!ParseHexList(p, n, pos + 4, lineIndex, &value.data))
            return false;
    } else if (StartsWithNoCase(data, rest, "hex(")) {
        size_t k = 4;
        unsigned long type = HexNumber(data, rest, &k);
        if (k > 4 + 8)
            return Fail(line, "hex(n) type of more than eight hex digits");
        if (k == 4 || k + 1 >= rest || data[k] != ')' || data[k + 1] != ':') {
            return Fail(line, "expected hex(n): with n in hex");
        }
        value.type = type;
        if (!ParseHexList(p, n, pos + k + 2, lineIndex, &value.data))
            return false;
    } else if (*data == '-') {
        return Fail(line, "deleting values is not supported");
    } else {
        return Fail(line, "unknown kind of value data");
    }
    key->values.push_back(std::move(value));
    return true;
}

int AppendToString(void* context, const char* text, size_t length) {
    static_cast<std::string*>(context)->append(text, length);
    return 1;
}

}  // namespace

bool ParseRegeditText(const char* text, size_t length, std::vector<RegTextKey>* keys,
                      std::string* error) {
    if (text == nullptr)
        length = 0;
    std::vector<TextLine> lines = SplitLines(text ? text : "", length);
    Parser parser(lines, error);
    return parser.Parse(keys);
}

std::string FormatRegeditText(const std::vector<RegTextKey>& keys) {
    std::string out = "REGEDIT4\n";
    for (const RegTextKey& key : keys) {
        WriteRegeditKeyLine(key.path.c_str(), AppendToString, &out);
        for (const RegTextValue& value : key.values) {
            WriteRegeditValueLine(value.name.c_str(), value.type, value.data.data(),
                                  value.data.size(), AppendToString, &out);
        }
    }
    out += '\n';
    return out;
}

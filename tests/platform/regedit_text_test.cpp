// tests/platform/regedit_text_test.cpp: REGEDIT4 parsing, its line-named errors, and formatting.
#include "platform/host/regedit_text.h"

#include <stdio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// One line per key and per value: "[path]" then "  name=type:bytes in hex".
std::string Describe(const std::vector<RegTextKey>& keys) {
    std::string out;
    for (const RegTextKey& key : keys) {
        out += "[" + key.path + "]\n";
        for (const RegTextValue& value : key.values) {
            char type[16];
            snprintf(type, sizeof type, "%lu:", value.type);
            out += "  " + value.name + "=" + type;
            for (unsigned char c : value.data) {
                char byte[4];
                snprintf(byte, sizeof byte, "%02x", c);
                out += byte;
            }
            out += "\n";
        }
    }
    return out;
}

// A literal with NUL bytes inside, all of it.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::vector<RegTextKey> ParseOrFail(const std::string& text) {
    std::vector<RegTextKey> keys;
    std::string error;
    EXPECT_TRUE(ParseRegeditText(text.data(), text.size(), &keys, &error)) << error;
    return keys;
}

struct AcceptCase {
    const char* what;
    std::string text;
    const char* expected;  // Describe() of the keys
};

TEST(RegeditText, ParsesEveryConstruct) {
    const AcceptCase cases[] = {
        {"header only", "REGEDIT4\n", ""},
        {"header without line end", "REGEDIT4", ""},
        {"blank lines before the header", "\n  \nREGEDIT4\n", ""},
        {"UTF-8 BOM and CRLF", "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Enum]\r\n",
         "[Enum]\n"},
        {"root key and HKLM abbreviation",
         "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n@=\"r\"\n[hklm\\Enum\\Root]\n",
         "[]\n  =1:7200\n[Enum\\Root]\n"},
        {"string escapes", "REGEDIT4\n[HKLM\\K]\n\"a\\\\b\\\"c\"=\"x\\\\y\\\"z\"\n",
         "[K]\n  a\\b\"c=1:785c79227a00\n"},
        {"empty string and default value", "REGEDIT4\n[HKLM\\K]\n\"e\"=\"\"\n@=\"d\"\n",
         "[K]\n  e=1:00\n  =1:6400\n"},
        {"string with ; and = inside", "REGEDIT4\n[HKLM\\K]\n\"a=b\"=\";[x]\"\n",
         "[K]\n  a=b=1:3b5b785d00\n"},
        {"dword", "REGEDIT4\n[HKLM\\K]\n\"d\"=dword:0000001F\n\"s\"=DWORD:a\n",
         "[K]\n  d=4:1f000000\n  s=4:0a000000\n"},
        {"hex and empty hex", "REGEDIT4\n[HKLM\\K]\n\"b\"=hex:01,ff,7A\n\"e\"=hex:\n",
         "[K]\n  b=3:01ff7a\n  e=3:\n"},
        {"hex(n) types",
         "REGEDIT4\n[HKLM\\K]\n\"m\"=hex(7):41,00,00\n\"x\"=hex(2):25,00\n"
         "\"n\"=hex(0):\n\"big\"=hex(ffffffff):01\n",
         "[K]\n  m=7:410000\n  x=2:2500\n  n=0:\n  big=4294967295:01\n"},
        {"continued hex list", "REGEDIT4\n[HKLM\\K]\n\"b\"=hex:01,02,\\\n  03,\\\n\t04\n",
         "[K]\n  b=3:01020304\n"},
        {"continuation right after hex:", "REGEDIT4\n[HKLM\\K]\n\"b\"=hex:\\\n  0a\n",
         "[K]\n  b=3:0a\n"},
        {"comments, blank lines and spaces",
         "REGEDIT4\n; a comment\n\n  [HKLM\\K]  \n"
         "  ; another\n \"a\" = \"b\"  \n\"c\"= hex: 01 , 02\n",
         "[K]\n  a=1:6200\n  c=3:0102\n"},
        {"repeated key kept in order", "REGEDIT4\n[HKLM\\A]\n\"x\"=\"1\"\n[HKLM\\B]\n[HKLM\\A]\n",
         "[A]\n  x=1:3100\n[B]\n[A]\n"},
        {"key names with spaces and stars",
         "REGEDIT4\n[HKLM\\Enum\\BIOS\\*PNP0501\\0D]\n"
         "[HKLM\\Enum\\Root\\My Dev]\n",
         "[Enum\\BIOS\\*PNP0501\\0D]\n[Enum\\Root\\My Dev]\n"},
    };
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, Describe(ParseOrFail(c.text)));
    }
}

struct RejectCase {
    std::string text;
    const char* error;
};

TEST(RegeditText, RejectsMalformedLinesNamingTheLine) {
    const RejectCase cases[] = {
        {"", "line 1: no REGEDIT4 header"},
        {"\n\n", "line 2: no REGEDIT4 header"},
        {"REGEDIT5\n", "line 1: expected the REGEDIT4 header"},
        {"\n\nWindows Registry Editor Version 5.00\n", "line 3: expected the REGEDIT4 header"},
        {"; comment\nREGEDIT4\n", "line 1: expected the REGEDIT4 header"},
        {"REGEDIT4\n\n\"a\"=\"b\"\n", "line 3: value before any key line"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n",
         "line 2: key is not below HKEY_LOCAL_MACHINE: HKEY_CURRENT_USER"},
        {"REGEDIT4\n[Enum\\Root]\n", "line 2: key is not below HKEY_LOCAL_MACHINE: Enum"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\n", "line 2: key line does not end with ']'"},
        {"REGEDIT4\n[HKLM\\Enum\\\\Root]\n", "line 2: empty key name in the path"},
        {"REGEDIT4\n[HKLM\\Enum\\]\n", "line 2: empty key name in the path"},
        {"REGEDIT4\n[HKLM\\]\n", "line 2: empty key name in the path"},
        {"REGEDIT4\n[-HKLM\\Enum]\n", "line 2: deleting keys is not supported"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=\"b\n", "line 3: string has no closing '\"'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=\"b\\\"\n", "line 3: string has no closing '\"'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=\"b\\n\"\n", "line 3: unknown escape \\n in a string"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\\q\"=\"b\"\n", "line 3: unknown escape \\q in a string"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\n", "line 3: string has no closing '\"'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\" \"b\"\n", "line 3: expected '=' after the value name"},
        {"REGEDIT4\n[HKLM\\K]\n@\n", "line 3: expected '=' after the value name"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=\n", "line 3: value has no data"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=\"b\" x\n", "line 3: text after the string's closing '\"'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=dword:\n", "line 3: dword has no hex digits"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=dword:123456789\n",
         "line 3: dword of more than eight hex digits"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=dword:12x\n", "line 3: text after the dword"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:zz\n", "line 3: bad hex byte starting with 'z'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:1g\n", "line 3: expected ',' between hex bytes"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:01 02\n", "line 3: expected ',' between hex bytes"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:123\n", "line 3: hex byte of more than two digits"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:01,,02\n", "line 3: bad hex byte starting with ','"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:01\\\n02\n", "line 3: expected ',' between hex bytes"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:01,\\\n  02,\\\n  zz\n",
         "line 5: bad hex byte starting with 'z'"},
        {"REGEDIT4\r\n[HKLM\\K]\r\n\"a\"=hex:01,\\\r\n",
         "line 3: line continuation '\\' at the end of the file"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex:01,\\ x\n",
         "line 3: text after the line continuation '\\'"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex(:01\n", "line 3: expected hex(n): with n in hex"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex(7)01\n", "line 3: expected hex(n): with n in hex"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=hex(123456789):01\n",
         "line 3: hex(n) type of more than eight hex digits"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=-\n", "line 3: deleting values is not supported"},
        {"REGEDIT4\n[HKLM\\K]\n\"a\"=str:x\n", "line 3: unknown kind of value data"},
        {"REGEDIT4\n[HKLM\\K]\nPORTNAME=COM1\n",
         "line 3: expected a [key] line, a value line or a comment"},
        {Bytes("REGEDIT4\n[HKLM\\K]\n\"a\0b\"=\"x\"\n"), "line 3: NUL character in a value name"},
        {Bytes("REGEDIT4\n[HKLM\\K\0]\n"), "line 2: NUL character in a key name"},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<RegTextKey> keys(1);
        keys[0].path = "untouched";
        std::string error;
        EXPECT_FALSE(ParseRegeditText(c.text.data(), c.text.size(), &keys, &error));
        EXPECT_EQ(c.error, error);
        ASSERT_EQ(1u, keys.size());
        EXPECT_EQ("untouched", keys[0].path);
    }
}

TEST(RegeditText, ToleratesNullTextAsEmpty) {
    std::vector<RegTextKey> keys;
    std::string error;
    EXPECT_FALSE(ParseRegeditText(nullptr, 10, &keys, &error));
    EXPECT_EQ("line 1: no REGEDIT4 header", error);
}

TEST(RegeditText, FormatsInRegeditLayout) {
    std::vector<RegTextKey> keys(2);
    keys[0].path = "Enum\\Root\\*PNP0500";
    keys[1].path = "Enum\\Root\\*PNP0500\\0000";
    keys[1].values = {
        {"PORTNAME", kRegTypeString, Bytes("COM1\0")},
        {"", kRegTypeString, Bytes("say \"\\\"\0")},
        {"Flags", kRegTypeDword, Bytes("\x10\x00\x00\x01")},
        {"Bin", kRegTypeBinary, Bytes("\x01\xAB")},
        {"Multi", kRegTypeMultiString, Bytes("A\0\0")},
    };
    EXPECT_EQ(
        "REGEDIT4\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0500]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0500\\0000]\n"
        "\"PORTNAME\"=\"COM1\"\n"
        "@=\"say \\\"\\\\\\\"\"\n"
        "\"Flags\"=dword:01000010\n"
        "\"Bin\"=hex:01,ab\n"
        "\"Multi\"=hex(7):41,00,00\n"
        "\n",
        FormatRegeditText(keys));
}

TEST(RegeditText, WrapsLongHexListsUnderEightyColumns) {
    std::vector<RegTextKey> keys(1);
    keys[0].path = "K";
    keys[0].values = {{"Data", kRegTypeBinary, std::string(100, '\x5a')}};
    std::string text = FormatRegeditText(keys);
    size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 79u) << text.substr(start, end - start);
        start = end + 1;
        ++lines;
    }
    EXPECT_GT(lines, 6);
    EXPECT_EQ(keys[0].values[0].data, ParseOrFail(text)[0].values[0].data);
}

TEST(RegeditText, RoundTripsEveryKindOfValue) {
    std::vector<RegTextKey> keys(3);
    keys[0].path = "Enum\\Root\\Mixed Case";
    keys[0].values = {
        {"plain", kRegTypeString, Bytes("COM3\0")},
        {"", kRegTypeString, Bytes("\0")},
        {"quo\"te\\s", kRegTypeString, Bytes("a\\\"b\0")},
        {"high bytes", kRegTypeString, Bytes("\xE9t\xE9\0")},
        {"embedded NUL", kRegTypeString, Bytes("a\0b\0")},
        {"no terminator", kRegTypeString, Bytes("abc")},
        {"empty no terminator", kRegTypeString, std::string()},
        {"line break", kRegTypeString, Bytes("a\r\nb\0")},
    };
    keys[1].path = "System\\CurrentControlSet\\Services\\Class\\Ports\\0000";
    keys[1].values = {
        {"dword", kRegTypeDword, Bytes("\xFF\x00\x7F\x80")},
        {"short dword", kRegTypeDword, Bytes("\x01\x02")},
        {"binary", kRegTypeBinary, Bytes("\0\1\2\3\xFF")},
        {"empty binary", kRegTypeBinary, std::string()},
        {"none", kRegTypeNone, Bytes("x")},
        {"expand", kRegTypeExpandString, Bytes("%WINDIR%\0")},
        {"multi", kRegTypeMultiString, Bytes("a\0bc\0\0")},
        {"odd type", 0x12345678ul, std::string(300, '\x11')},
    };
    keys[2].path = "";
    keys[2].values = {{"at root", kRegTypeString, Bytes("r\0")}};

    std::string text = FormatRegeditText(keys);
    std::vector<RegTextKey> back = ParseOrFail(text);
    EXPECT_EQ(Describe(keys), Describe(back)) << text;
    EXPECT_EQ(text, FormatRegeditText(back));
    EXPECT_NE(std::string::npos, text.find("\"embedded NUL\"=hex(1):61,00,62,00\n"));
    EXPECT_NE(std::string::npos, text.find("\"no terminator\"=hex(1):61,62,63\n"));
    EXPECT_NE(std::string::npos, text.find("\"short dword\"=hex(4):01,02\n"));
}

}  // namespace

// tests/cmdline/parse_command_line_test.cpp: every option, good and bad, and what the entry
// does with the line.
#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "portcheck/port_check.h"

namespace {

struct ParseCase {
    const char* line;
    CommandRun run;
    int exitCode;       // kExitDone for a good line, kExitBadCommandLine for a bad one
    const char* error;  // the message for a bad line
};

const ParseCase kCases[] = {
    {"", kRunPlainDialog, 0, ""},
    {"  \t ", kRunPlainDialog, 0, ""},
    {"/?", kRunUsageBox, 0, ""},
    {"-? /log -", kRunUnattended, 0, ""},
    {"/? /bogus", kRunUsageBox, 1, "Unknown option: /bogus"},
    {"/LIST -", kRunUnattended, 0, ""},
    {"-list \"C:\\My Files\\ports.txt\"", kRunUnattended, 0, ""},
    {"/log x.log", kRunPlainDialog, 0, ""},
    {"/rename COM11=COM40", kRunDialogWithChanges, 0, ""},
    {"/Remove 7D8E9F", kRunDialogWithChanges, 0, ""},
    {"/rename COM1=COM3 COM7=COM9 /single /remove ALL 7d8e9f /ok /restart /log -", kRunUnattended,
     0, ""},
    {"/preview - /remove ALL", kRunUnattended, 0, ""},
    {"/ok", kRunUnattended, 0, ""},
    {"/preview out.txt", kRunUnattended, 0, ""},
    {"/rename \"-X=COM5\"", kRunDialogWithChanges, 0, ""},
    {"/rename COM1=COM3 /log C:\\K.LOG", kRunDialogWithChanges, 0, ""},
    // Bad lines: with a log named the message is a log line, otherwise a box.
    {"/bogus", kRunBadCommandBox, 1, "Unknown option: /bogus"},
    {"/bogus /ok /log -", kRunUnattended, 1, "Unknown option: /bogus"},
    {"/lst C:\\L.TXT /log C:\\X.LOG", kRunUnattended, 1, "Unknown option: /lst"},
    {"/plug full /log -", kRunUnattended, 1, "/plug needs /test"},
    {"/restart /log -", kRunUnattended, 1, "/restart needs /ok"},
    {"/log a /log b", kRunUnattended, 1, "/log is given twice"},
    {"/bogus /log", kRunBadCommandBox, 1, "Unknown option: /bogus"},
    {"/test COM5 com5 /log -", kRunUnattended, 1, "Port com5 is named twice"},
    {"/test ALL COM5 ALL", kRunBadCommandBox, 1, "Port ALL is named twice"},
    {"COM1", kRunBadCommandBox, 1, "Unexpected argument: COM1"},
    {"-", kRunBadCommandBox, 1, "Unexpected argument: -"},
    {"/list", kRunBadCommandBox, 1, "/list needs a value"},
    {"/list /log -", kRunUnattended, 1, "/list needs a value"},
    {"/log \"\" /ok", kRunBadCommandBox, 1, "/log needs a value"},
    {"/rename", kRunBadCommandBox, 1, "/rename needs a value"},
    {"/remove /ok", kRunBadCommandBox, 1, "/remove needs a value"},
    {"/list a /list b", kRunBadCommandBox, 1, "/list is given twice"},
    {"/ok /OK", kRunBadCommandBox, 1, "/OK is given twice"},
    {"/restart", kRunBadCommandBox, 1, "/restart needs /ok"},
    {"/rename COM1=COM3 /restart", kRunBadCommandBox, 1, "/restart needs /ok"},
    {"/single /remove ALL", kRunBadCommandBox, 1, "/single needs /rename"},
    {"/rename COM1=COM3 /preview - /ok", kRunBadCommandBox, 1,
     "/preview and /ok cannot be used together"},
    {"/list - /remove ALL", kRunBadCommandBox, 1,
     "/list cannot be used with /rename, /remove, /single, /preview, /ok or /restart"},
    {"/rename COM1", kRunBadCommandBox, 1,
     "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
     "NEW: COM1"},
    {"/rename COM1=", kRunBadCommandBox, 1,
     "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
     "NEW: COM1="},
    {"/rename =COM3", kRunBadCommandBox, 1,
     "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
     "NEW: =COM3"},
    {"/rename \"COM1=COM 3\"", kRunBadCommandBox, 1,
     "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
     "NEW: COM1=COM 3"},
    {"/rename COM1=ABCDEFGHIJKLMNOPQRST", kRunBadCommandBox, 1,
     "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
     "NEW: COM1=ABCDEFGHIJKLMNOPQRST"},
    // No DOS program could open such a device: a typo must not become a port name.
    {"/rename COM21==COM40", kRunBadCommandBox, 1,
     "/rename COM21==COM40: a port name cannot hold the character ="},
    {"/rename COM21=COM40=COM41", kRunBadCommandBox, 1,
     "/rename COM21=COM40=COM41: a port name cannot hold the character ="},
    {"/rename \"COM1=LPT[1]\"", kRunBadCommandBox, 1,
     "/rename COM1=LPT[1]: a port name cannot hold the character ["},
    {"/rename COM1=A:B /ok /log -", kRunUnattended, 1,
     "/rename COM1=A:B: a port name cannot hold the character :"},
    {"/rename COM1=MODEM\x1b", kRunBadCommandBox, 1,
     "/rename COM1=MODEM\x1b: a port name cannot hold the character code 27"},
    {"/rename COM1=ISDN-A_1#~ COM2=\xc4RZTE", kRunDialogWithChanges, 0, ""},
    {"/rename COM1=COM3 /rename COM1=COM4", kRunBadCommandBox, 1, "Port COM1 is named twice"},
    {"/remove 7D8E9F 7d8e9f", kRunBadCommandBox, 1, "Board 7d8e9f is named twice"},
    {"/remove ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", kRunBadCommandBox, 1,
     "Too long: ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
    // A setup: /save as /list, /apply as a change list that is never left to the dialog.
    {"/save C:\\SETUP.TXT /log -", kRunUnattended, 0, ""},
    {"/apply S.TXT /partial /ok /restart", kRunUnattended, 0, ""},
    {"/apply S.TXT /preview -", kRunUnattended, 0, ""},
    {"/save", kRunBadCommandBox, 1, "/save needs a value"},
    {"/save a /save b", kRunBadCommandBox, 1, "/save is given twice"},
    {"/save S.TXT /ok", kRunBadCommandBox, 1, "/save goes with /log only"},
    {"/save S.TXT /apply T.TXT /ok", kRunBadCommandBox, 1, "/save goes with /log only"},
    {"/apply S.TXT", kRunBadCommandBox, 1, "/apply needs /preview or /ok"},
    {"/apply S.TXT /rename COM1=COM3 /ok", kRunBadCommandBox, 1,
     "/apply cannot be used with /rename, /remove, /single or /list"},
    {"/partial /ok", kRunBadCommandBox, 1, "/partial needs /apply"},
    {"/test COM5 /apply S.TXT /ok", kRunBadCommandBox, 1,
     "/test goes with /plug, /speed, /repeat and /log only"},
};

TEST(ParseCommandLine, EveryOptionGoodAndBad) {
    for (const ParseCase& c : kCases) {
        SCOPED_TRACE(c.line);
        CommandLine parsed;
        ParseCommandLine(c.line, &parsed);
        EXPECT_EQ(c.run, CommandRunOf(parsed));
        EXPECT_EQ(c.exitCode == kExitBadCommandLine, parsed.bad);
        EXPECT_EQ(std::string(c.error), parsed.errorText);
    }
}

TEST(ParseCommandLine, KeepsValuesAndTheOrderOfChanges) {
    CommandLine parsed;
    ParseCommandLine(
        "/rename COM1=COM3 COM7=COM9 /remove ALL /rename \"A B=C\" /remove 7d8e9f "
        "/preview \"C:\\My Files\\p.txt\" /log -",
        &parsed);
    ASSERT_FALSE(parsed.bad) << parsed.errorText;
    const struct {
        int kind;
        const char* name;
        const char* newName;
    } expected[] = {{kChangeRename, "COM1", "COM3"},
                    {kChangeRename, "COM7", "COM9"},
                    {kChangeRemoveAll, "ALL", ""},
                    {kChangeRename, "A B", "C"},
                    {kChangeRemove, "7d8e9f", ""}};
    ASSERT_EQ(5, parsed.changeCount);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].kind, parsed.changes[i].kind);
        EXPECT_STREQ(expected[i].name, parsed.changes[i].name);
        EXPECT_STREQ(expected[i].newName, parsed.changes[i].newName);
    }
    EXPECT_STREQ("C:\\My Files\\p.txt", parsed.previewPath);
    EXPECT_STREQ("-", parsed.logPath);
}

TEST(ParseCommandLine, RefusesMoreChangesThanItHolds) {
    std::string line = "/remove";
    for (int i = 0; i <= kMaxCommandChanges; ++i)
        line += " B" + std::to_string(i);
    CommandLine parsed;
    ParseCommandLine(line.c_str(), &parsed);
    EXPECT_TRUE(parsed.bad);
    EXPECT_STREQ("Too many /rename and /remove values: B32", parsed.errorText);
    EXPECT_EQ(kMaxCommandChanges, parsed.changeCount);
}

TEST(ParseCommandLine, RefusesAFileNameTooLongRatherThanCuttingIt) {
    std::string name(kCommandPathSize, 'x');
    CommandLine parsed;
    ParseCommandLine(("/list " + name).c_str(), &parsed);
    EXPECT_TRUE(parsed.bad);
    EXPECT_STREQ("", parsed.listPath);
    ParseCommandLine(("/list " + name.substr(1)).c_str(), &parsed);
    EXPECT_FALSE(parsed.bad);
}

// Every change of the line, as one text, to compare two parses.
std::string ChangesOf(const CommandLine& parsed) {
    std::string text;
    for (int i = 0; i < parsed.changeCount; ++i)
        text += std::to_string(parsed.changes[i].kind) + parsed.changes[i].name + "=" +
                parsed.changes[i].newName + ";";
    return text + (parsed.single ? "single" : "") + (parsed.commit ? "ok" : "") + parsed.logPath;
}

TEST(ParseCommandLine, ArgumentFileGivesTheChangesOfTheSameWordsOnTheLine) {
    const std::string name = ::testing::TempDir() + "korvalin-args.txt";
    FILE* file = fopen(name.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fputs("/rename COM11=COM20\r\n COM7=COM9\n/remove 3C2B1A\t\"0000\"\r\n/log \"my log.txt\"",
          file);
    fclose(file);
    CommandLine direct, viaFile;
    ParseCommandLine(
        "/single /rename COM11=COM20 COM7=COM9 /remove 3C2B1A \"0000\" /log \"my log.txt\" /ok",
        &direct);
    ParseCommandLine(("/single @" + name + " /ok").c_str(), &viaFile);
    EXPECT_FALSE(viaFile.bad) << viaFile.errorText;
    EXPECT_EQ(ChangesOf(direct), ChangesOf(viaFile));
    remove(name.c_str());

    CommandLine missing;
    ParseCommandLine(("/ok /log - @" + name).c_str(), &missing);
    EXPECT_TRUE(missing.bad);
    EXPECT_EQ("Cannot read @" + name, std::string(missing.errorText));
    EXPECT_EQ(kRunUnattended, CommandRunOf(missing));
}

// A message box's font is proportional: an option and its meaning share a line, with no tab.
TEST(Usage, GivesEachOptionALineOfItsOwnAndListsArgumentFiles) {
    const std::string usage = kUsageText;
    EXPECT_EQ(std::string::npos, usage.find('\t'));
    for (const char* option :
         {"/list FILE", "/rename NAME=NEW", "/single", "/remove ID", "/preview FILE", "/ok",
          "/restart", "/test NAME", "/plug", "/speed N,...", "/repeat N", "/log FILE", "@FILE"})
        EXPECT_NE(std::string::npos, usage.find("\n" + std::string(option) + " - ")) << option;
    // Each plug's word, as /plug takes it, in the usage and in the message for a word it does not.
    for (const PlugName& plug : kPlugNames) {
        const std::string word = std::string(" ") + plug.commandWord;
        EXPECT_NE(std::string::npos, usage.find(word)) << word;
        EXPECT_NE(std::string::npos, std::string(kPlugValueText).find(word)) << word;
    }
    EXPECT_NE(std::string::npos, usage.find("8 not fully tested."));
}

// COMMAND.COM cuts a line at 127 characters, and "/rename COM12=COM21" cut after "COM2" still
// parses: on Windows 9x a line that long may have been cut, and is refused whatever it says.
TEST(ParseCommandLine, LineThatMayHaveBeenCutIsRefusedOnWindows9xOnly) {
    const std::string head = "/ok /log C:\\K.LOG /rename COM12=COM2";
    const std::string atCut = head + std::string(kDosCutArguments - head.size(), ' ');
    EXPECT_EQ(109u, atCut.size()) << "127 less \"start /w korvalin \"";
    const struct {
        std::string line;
        int dosLimited;
        bool refused;
    } cases[] = {
        {atCut, 1, true},
        {atCut.substr(0, atCut.size() - 1), 1, false},
        {atCut, 0, false},
        {atCut + "x", 0, true},  // refused for its own sake on NT: an unexpected argument
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.size());
        CommandLine parsed;
        ParseCommandLine(c.line.c_str(), &parsed, c.dosLimited);
        EXPECT_EQ(c.refused, parsed.bad != 0) << parsed.errorText;
        EXPECT_EQ(c.dosLimited && c.refused,
                  std::string(parsed.errorText).find("@FILE") != std::string::npos);
        // A cut line names no log: its last word may be the cut end of another file's name.
        EXPECT_EQ(c.dosLimited && c.refused ? kRunBadCommandBox : kRunUnattended,
                  CommandRunOf(parsed));
    }
}

}  // namespace

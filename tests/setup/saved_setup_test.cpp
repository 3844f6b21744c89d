// tests/setup/saved_setup_test.cpp: a setup written and read back, its exact text, and every kind
// of bad file refused with the line that is wrong. On the build's own files (KERNEL32's under
// Wine).
#include <stdio.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/files.h"
#include "setup/saved_setup.h"
#include "tests/portlist/board_builder.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

SavedSetup g_setup;  // too large for a test's frame

// A setup as one line per board: "<type> <id>: <place>=<name>...".
std::string Summary(const SavedSetup& setup) {
    std::string text;
    for (int32_t b = 0; b < setup.boardCount; ++b) {
        const SavedBoard& board = setup.boards[b];
        text += std::to_string(board.boardType) + " " + board.id + ":";
        for (int32_t p = 0; p < board.portCount; ++p) {
            text += " " + std::to_string(board.ports[p].place) + "=" + board.ports[p].name;
        }
        text += "\n";
    }
    return text;
}

class SavedSetupFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
#ifdef _WIN32
        char directory[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof directory, directory);
        ASSERT_NE(0u, GetTempFileNameA(directory, "kvs", 0, name));
        path_ = name;
#else
        char name[] = "/tmp/korvalin-setup-XXXXXX";
        close(mkstemp(name));
        path_ = name;
#endif
    }
    void TearDown() override {
        remove(path_.c_str());
    }

    // Writes g_inventory's setup; its bytes as the disk holds them.
    std::string Save(const LocalTime& when) {
        TextWriter writer;
        EXPECT_TRUE(OpenTextWriter(&writer, path_.c_str()));
        EXPECT_EQ(1, WriteSavedSetup(g_inventory, when, &writer));
        EXPECT_TRUE(CloseTextWriter(&writer));
        std::string bytes;
        PlatformFile* file = FilesOpenForReading(path_.c_str());
        char buffer[256];
        for (long got; file != nullptr && (got = FilesRead(file, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<size_t>(got));
        if (file != nullptr)
            FilesClose(file);
        return bytes;
    }
    // Reads the file back into g_setup; the message when it is refused.
    std::string Load() {
        TextReader reader;
        EXPECT_TRUE(OpenTextReader(&reader, path_.c_str()));
        char message[kSetupMessageSize];
        int read = ReadSavedSetup(&reader, &g_setup, message, sizeof message);
        CloseTextReader(&reader);
        return read ? "" : message;
    }

    std::string path_;
};

TEST_F(SavedSetupFile, ListsPresentPortsByPlaceSkipsRemovedBoardsInCrLfLines) {
    AddDirectPort(AddTestBoard(kBoardStandardCom, "0D"), 0, "COM1");
    AddDirectPort(AddTestBoard(kBoardMarrowlink, "0000"), 0, "COM16")->owningBoard->removed = 1;
    BoardRecord* board = AddTestBoard(kBoardTessaline16, "9F8E7D6C");
    AddDirectPort(board, 0, "COM11");
    AddChildPort(board, 0, 1, "COM24");  // the list shows it after the first slot of each child
    AddChildPort(board, 1, 0, "COM21");
    AddChildPort(board, 0, 0, "LANE 2");
    AddTestBoard(kBoardTessaline48, "ABCDEF");  // a board with no port left is listed
    AddDirectPort(AddTestBoard(kBoardStandardCom, "A"), 0, "COM2");  // too short for an ID#

    std::string bytes = Save(LocalTime{2026, 3, 7, 9, 5});
    EXPECT_EQ(
        "KORVALIN-SETUP=1\r\n"
        "; Written by korvalin on 2026-03-07 09:05\r\n"
        "BOARD=Standard COM Port, ID# 0D\r\nPORT=1 COM1\r\n"
        "BOARD=Tessaline 16 Port, ID# 7D8E9F\r\n"
        "PORT=1 COM11\r\nPORT=2 LANE 2\r\nPORT=3 COM21\r\nPORT=4 COM24\r\n"
        "BOARD=Tessaline 4/8 Port, ID# CDAB\r\n"
        "BOARD=Standard COM Port, ID# \r\nPORT=1 COM2\r\n",
        bytes);

    // What a trailing blank's editor leaves of the empty ID# reads back too.
    EXPECT_EQ("", Load());
    EXPECT_EQ("4 0D: 1=COM1\n3 7D8E9F: 1=COM11 2=LANE 2 3=COM21 4=COM24\n2 CDAB:\n4 : 1=COM2\n",
              Summary(g_setup));
}

TEST_F(SavedSetupFile, WritesPlacesOfTwoDigitsWhole) {
    BoardRecord* board = AddTestBoard(kBoardTessaline48, "ABCDEF");
    std::string names[11];
    for (int slot = 0; slot < 11; ++slot) {
        names[slot] = "P" + std::to_string(slot + 1);
        AddDirectPort(board, slot, names[slot].c_str());
    }
    std::string bytes = Save(LocalTime{2026, 12, 31, 23, 59});
    EXPECT_NE(std::string::npos, bytes.find("; Written by korvalin on 2026-12-31 23:59\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\nPORT=9 P9\r\nPORT=10 P10\r\nPORT=11 P11\r\n"));
    EXPECT_EQ("", Load());
    EXPECT_EQ("2 CDAB: 1=P1 2=P2 3=P3 4=P4 5=P5 6=P6 7=P7 8=P8 9=P9 10=P10 11=P11\n",
              Summary(g_setup));
}

TEST_F(SavedSetupFile, ReadsBackEveryBoardOfAMachineWithinEightyColumns) {
    std::string error;
    ASSERT_TRUE(LoadFixtureFile("machine.reg", &error)) << error;
    ASSERT_TRUE(BuildPortInventory());
    LocalTime now;
    ReadLocalTime(&now);
    EXPECT_GE(now.year, 2000);
    std::string bytes = Save(now);
    for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 80u) << bytes.substr(start, end - start);

    ASSERT_EQ("", Load());
    ASSERT_EQ(g_inventory.boardCount, g_setup.boardCount);
    for (int32_t b = 0; b < g_setup.boardCount; ++b) {
        BoardRecord& board = g_inventory.boards[b];
        const SavedBoard& saved = g_setup.boards[b];
        char id[kIdDigestSize];
        FormatIdDigest(board.instanceName, id);
        SCOPED_TRACE(id);
        EXPECT_EQ(board.boardType, saved.boardType);
        EXPECT_STREQ(id, saved.id);
        // Not PortsOf: its template would be defined twice where the library is linked at link
        // time (LTO) and this test is not.
        PortRecord* ports[kMaxBoardPorts];
        int32_t count = CollectPresentPorts(&board, ports);
        ASSERT_EQ(count, saved.portCount);
        for (int32_t p = 0; p < count; ++p) {
            EXPECT_EQ(p + 1, saved.ports[p].place);
            EXPECT_STREQ(ports[p]->portName, saved.ports[p].name);
            EXPECT_EQ(saved.line + p + 1, saved.ports[p].line);
        }
    }
}

const std::string kHead = "KORVALIN-SETUP=1\n";
const std::string kBoard = "BOARD=Tessaline 16 Port, ID# 7D8E9F\n";

// A file of exactly `bytes` bytes: the head, then comment lines with CR LF ends.
std::string FileOfSize(size_t bytes) {
    std::string text = kHead;
    while (text.size() + 100 < bytes)
        text += ";" + std::string(97, 'c') + "\r\n";
    return text + ";" + std::string(bytes - text.size() - 3, 'c') + "\r\n";
}

TEST(SetupReader, RefusesEachBadFileNamingItsLineAndReadsTheEdgesItMayHold) {
    const std::string longName(kSetupLineLimit - 7, 'N');  // "PORT=1 " and the name: 255
    const struct {
        const char* name;
        std::string text;
        const char* refusal;  // null: the file is read, as `summary` says
        std::string summary;
    } cases[] = {
        {"empty", "", "line 1: not a version 1 setup file"},
        {"another format", "REGEDIT4\n", "line 1: not a version 1 setup file"},
        {"version not first", "; setup\n" + kHead, "line 1: not a version 1 setup file"},
        {"version 1 in another spelling", "KORVALIN-SETUP=01\n",
         "line 1: not a version 1 setup file"},
        {"newer version", "KORVALIN-SETUP=2\n" + kBoard, "line 1: not a version 1 setup file"},
        {"unknown key", kHead + kBoard + "PORT=1 COM5\nSPEED=9600\n", "line 4: unknown key SPEED"},
        {"no '='", kHead + kBoard + "COM5\n", "line 3: unknown key COM5"},
        {"BOARD without '='", kHead + "BOARD\n", "line 2: unknown board or bad ID#: "},
        {"port before a board", kHead + "PORT=1 COM5\n", "line 2: PORT before BOARD"},
        {"unknown type", kHead + "BOARD=Tessaline 32 Port, ID# 7D8E9F\n",
         "line 2: unknown board or bad ID#: Tessaline 32 Port, ID# 7D8E9F"},
        {"no ID#", kHead + "BOARD=Tessaline 16 Port\n",
         "line 2: unknown board or bad ID#: Tessaline 16 Port"},
        {"a type, then not the label", kHead + "BOARD=Tessaline 16 Port ID# 7D8E9F\n",
         "line 2: unknown board or bad ID#: Tessaline 16 Port ID# 7D8E9F"},
        {"ID# too long", kHead + "BOARD=Standard COM Port, ID# 0123456789ABCDEFGHIJ\n",
         "line 2: unknown board or bad ID#: Standard COM Port, ID# 0123456789ABCDEFGHIJ"},
        {"ninth board",
         kHead + kBoard + kBoard + kBoard + kBoard + kBoard + kBoard + kBoard + kBoard + kBoard,
         "line 10: over 8 boards"},
        {"no place", kHead + kBoard + "PORT=\n", "line 3: PORT lacks place or name"},
        {"place not a number", kHead + kBoard + "PORT=one COM5\n", "line 3: no such port one"},
        {"place 0", kHead + kBoard + "PORT=0 COM5\n", "line 3: no such port 0"},
        {"place past a board's slots", kHead + kBoard + "PORT=65 COM5\n",
         "line 3: no such port 65"},
        {"second port of a legacy board, the apply's to refuse",
         kHead + "BOARD=Standard COM Port, ID# 0D\nPORT=2 COM5\n", nullptr, "4 0D: 2=COM5\n"},
        {"huge place", kHead + kBoard + "PORT=99999999999999999999 COM5\n",
         "line 3: no such port 99999999999999999999"},
        {"place twice", kHead + kBoard + "PORT=3 COM5\nX-NOTE=a\nPORT=3 COM6\n",
         "line 5: port 3 is given twice"},
        {"no name", kHead + kBoard + "PORT=3  \t\n", "line 3: PORT lacks place or name"},
        {"NUL in a name", kHead + kBoard + std::string("PORT=1 CO\0M5\n", 13),
         "line 3: NUL byte or over 255 characters"},
        {"line over 255", kHead + kBoard + "PORT=1 " + longName + "N\n",
         "line 3: NUL byte or over 255 characters"},
        {"file over 64 KiB", FileOfSize(kSetupFileLimit + 1), "line 657: file over 64 KiB"},
        // What the file may hold.
        {"comments, blank lines, X- keys, any letter case, blanks around keys and values",
         " korvalin-setup=1 \r\n\n  ; a note\nx-lane=7\nBoard= tessaline 16 PORT, id# 7D8E9F\t\n"
         "\t port =2   LANE 2  \r\n\r\nPORT=1 COM11\nbOARD=Standard COM Port, ID#\nport=1 COM1\n"
         "BOARD=Standard COM Port, ID#\t0E\f\nPORT=1\x0b COM2\n",
         nullptr, "3 7D8E9F: 2=LANE 2 1=COM11\n4 : 1=COM1\n4 0E: 1=COM2\n"},
        {"a line of 255 exactly, its name kept in part", kHead + kBoard + "PORT=1 " + longName,
         nullptr, "3 7D8E9F: 1=" + longName.substr(0, kSavedNameSize - 1) + "\n"},
        {"a file of 64 KiB exactly", FileOfSize(kSetupFileLimit), nullptr, ""},
        {"Ctrl+Z ends the text", kHead + kBoard + "\x1A" + "SPEED=9600\n", nullptr, "3 7D8E9F:\n"},
        {"the ID# is all that follows the label",
         kHead + "BOARD=Standard COM Port, ID# 0D, ID# 0E\n", nullptr, "4 0D, ID# 0E:\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextReader reader;
        OpenTextReaderOnMemory(&reader, c.text.data(), c.text.size());
        char message[kSetupMessageSize];
        int read = ReadSavedSetup(&reader, &g_setup, message, sizeof message);
        if (c.refusal != nullptr) {
            EXPECT_EQ(0, read);
            EXPECT_STREQ(c.refusal, message);
            continue;
        }
        EXPECT_EQ(1, read) << message;
        EXPECT_EQ(c.summary, Summary(g_setup));
    }
}

}  // namespace

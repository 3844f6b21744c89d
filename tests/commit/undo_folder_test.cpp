// tests/commit/undo_folder_test.cpp: OK's dry run and its undo folder, natively.
//
// Each case loads a registry, puts the maker's files on disk, changes the inventory as the user
// could, and runs OK. Then UNDO.BAT's copies are made and UNDO.REG is imported: the registry and
// the files must be exactly as they were before OK, save the PORTNAMEs UNDO.REG names as added.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commit/undo_folder.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "platform/files.h"
#include "platform/host/files_native.h"
#include "platform/host/memory_registry.h"
#include "platform/host/regedit_text.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace fs = std::filesystem;

namespace {

const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=Marrowlink\r\n";

// Names REGEDIT4 must escape, and every kind of data, on keys a removed board takes along.
const char kEscapes[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Marrowlink M1/M2 Multiport Adapter"
"Driver"="Ports\\0001"
"PORTNAME"="COM3"
"Back\\slash \"quoted\""="C:\\path \"in quotes\""
@="default"
"Binary"=hex:00,01,7f,80,ff
"Number"=dword:89abcdef
"Multi"=hex(7):61,00,62,00,00
"Unterminated"=hex(1):41,42
"Long"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0001]
"PortDriver"="quorvane.vxd"
"A\"b\\c"=""
)";

std::string HostPath(std::string path) {
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    return path;
}

std::string ReadFile(const fs::path& path) {
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        fclose(file);
    }
    return text;
}

// Every file below the Windows directory but the undo folders, with its bytes.
std::map<std::string, std::string> Files(const std::string& windows) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(windows)) {
        std::string path = entry.path().string();
        if (entry.is_regular_file() && path.find(kUndoParentFolder) == std::string::npos)
            files[path] = ReadFile(entry.path());
    }
    return files;
}

// What UNDO.BAT does: its copies, then the import of UNDO.REG.
void RunUndoBatch(const std::string& folder) {
    std::string batch = ReadFile(HostPath(folder + "\\" + kUndoBatchFile));
    size_t start = 0, end;
    bool imported = false;
    while ((end = batch.find('\n', start)) != std::string::npos) {
        // Lines end in CR LF, for DOS.
        ASSERT_TRUE(end > start && batch[end - 1] == '\r') << batch;
        std::string line = batch.substr(start, end - start - 1);
        start = end + 1;
        if (line.rfind("copy /Y ", 0) == 0) {
            size_t space = line.find(' ', 8);
            std::string target = line.substr(space + 1);
            if (target.front() == '"')
                target = target.substr(1, target.size() - 2);
            fs::copy_file(HostPath(folder + "\\" + line.substr(8, space - 8)), HostPath(target));
        } else if (line == std::string("regedit /s ") + kUndoRegistryFile) {
            std::string error;
            EXPECT_TRUE(
                MemoryRegistryLoadFile(HostPath(folder + "\\" + kUndoRegistryFile).c_str(), &error))
                << error;
            imported = true;
        }
    }
    EXPECT_TRUE(imported) << batch;
}

// The export with the PORTNAMEs that UNDO.REG names as added taken out again.
std::string WithoutAddedPortNames(const std::string& exported, const std::string& undoReg) {
    std::set<std::string> added;
    const std::string mark = "; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\";
    for (size_t at = undoReg.find(mark); at != std::string::npos; at = undoReg.find(mark, at + 1)) {
        size_t from = at + mark.size();
        added.insert(undoReg.substr(from, undoReg.find(']', from) - from));
    }
    std::vector<RegTextKey> keys;
    std::string error;
    EXPECT_TRUE(ParseRegeditText(exported.data(), exported.size(), &keys, &error)) << error;
    for (RegTextKey& key : keys) {
        if (!added.count(key.path))
            continue;
        for (size_t i = 0; i < key.values.size(); ++i)
            if (key.values[i].name == "PORTNAME")
                key.values.erase(key.values.begin() + static_cast<long>(i));
    }
    return FormatRegeditText(keys);
}

void RenameAll(bool removeMakersBoards) {
    int number = 40;
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        BoardRecord& board = g_inventory.boards[b];
        if (removeMakersBoards && board.boardType != kBoardStandardCom) {
            board.removed = 1;
            continue;
        }
        for (PortRecord* port : PresentPorts(board))
            Rename(*port, ("COM" + std::to_string(number++)).c_str());
    }
}

class UndoFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        MemoryRegistryReset();
        ResetInventory();
        dirs_.Write(dirs_.inf, "oem1.inf", kMakersInf);
        dirs_.Write(dirs_.inf, "oem2.inf", "[Manufacturer]\r\n%Mfg%=Others\r\n");
        dirs_.Write(dirs_.other, "Makers Long Name.inf", kMakersInf);
        dirs_.Write(dirs_.system, "quorvane.vxd", std::string("MZ\0\x01\xff", 5));
        dirs_.Write(dirs_.system, "brisquel.vxd", "driver");
    }
    void TearDown() override { fs::remove_all(HostPath(dirs_.windows + "\\" + kUndoParentFolder)); }
    void Load(const std::string& text) {
        std::string error;
        ASSERT_TRUE(LoadFixtureText(text, &error)) << error;
        BuildPortInventory();
    }
    ScratchDirectories dirs_;
};

TEST_F(UndoFolder, PutsBackTheRegistryAndFilesOfEveryFixture) {
    const char* const fixtures[] = {"commit_legacy_boards.reg",
                                    "commit_litter.reg",
                                    "commit_pnp_slots.reg",
                                    "demo.reg",
                                    "machine.reg",
                                    nullptr};
    for (const char* fixture : fixtures) {
        for (bool remove : {false, true}) {
            SCOPED_TRACE(std::string(fixture ? fixture : "escapes") + (remove ? ", removed" : ""));
            ResetInventory();
            Load(fixture ? ReadFixtureText(fixture) : kEscapes);
            RenameAll(remove);
            const std::string registryBefore = ExportTestRegistry();
            const auto filesBefore = Files(dirs_.windows);

            std::vector<RecordedChange> planned;
            int previewed = PreviewOkChanges(g_inventory, RecordChange, &planned);
            ASSERT_EQ(registryBefore, ExportTestRegistry()) << "the dry run changed the registry";
            ASSERT_EQ(filesBefore, Files(dirs_.windows)) << "the dry run deleted files";
            ASSERT_FALSE(planned.empty());

            OkOutcome outcome;
            CarryOutOkChanges(g_inventory, &outcome);
            ASSERT_EQ(kOkDone, outcome.result);
            EXPECT_EQ(previewed, outcome.changed);
            ASSERT_NE(std::string(), outcome.undoFolder);
            EXPECT_NE(registryBefore, ExportTestRegistry());
            EXPECT_EQ(remove, filesBefore != Files(dirs_.windows));

            std::string undoReg =
                ReadFile(HostPath(std::string(outcome.undoFolder) + "\\" + kUndoRegistryFile));
            RunUndoBatch(outcome.undoFolder);
            EXPECT_EQ(registryBefore, WithoutAddedPortNames(ExportTestRegistry(), undoReg));
            EXPECT_EQ(filesBefore, Files(dirs_.windows));

            // Over the machine as it was again, the real run does what the dry run listed; the
            // same folder puts it back a second time.
            std::vector<RecordedChange> made;
            EXPECT_EQ(previewed, ApplyOkChanges(g_inventory, RecordChange, &made));
            EXPECT_TRUE(planned == made);
            RunUndoBatch(outcome.undoFolder);
            EXPECT_EQ(registryBefore, WithoutAddedPortNames(ExportTestRegistry(), undoReg));
            EXPECT_EQ(filesBefore, Files(dirs_.windows));
            TearDown();
        }
    }
}

TEST_F(UndoFolder, NothingToChangeMakesNoFolderAndEachOkTakesTheNumberAfterTheHighest) {
    Load("REGEDIT4\n");
    dirs_.MakeReadOnly(dirs_.system + "/quorvane.vxd");  // cannot go: nothing else to delete
    for (const char* name : {"oem1.inf", "oem2.inf"})
        fs::remove(dirs_.inf + "/" + name);
    fs::remove(dirs_.other + "/Makers Long Name.inf");
    fs::remove(dirs_.system + "/brisquel.vxd");
    OkOutcome outcome;
    CarryOutOkChanges(g_inventory, &outcome);
    EXPECT_EQ(kOkDone, outcome.result);
    EXPECT_STREQ("", outcome.undoFolder);
    EXPECT_FALSE(fs::exists(dirs_.windows + "/" + kUndoParentFolder));

    // The number after the highest, even where an earlier folder was deleted: the newest is the
    // highest, as DOS's DIR shows it.
    const std::string parent = dirs_.windows + "\\" + kUndoParentFolder + "\\";
    for (const char* expected : {"UNDO0001", "UNDO0002", "UNDO0003"}) {
        ASSERT_TRUE(LoadFixtureFile("demo.reg"));
        ResetInventory();
        BuildPortInventory();
        RenameAll(false);
        CarryOutOkChanges(g_inventory, &outcome);
        EXPECT_EQ(kOkDone, outcome.result);
        EXPECT_EQ(parent + expected, outcome.undoFolder);
        if (std::string(expected) == "UNDO0002")
            fs::remove_all(HostPath(parent + "UNDO0001"));
    }
}

TEST_F(UndoFolder, FolderThatCannotBeWrittenChangesNothing) {
    const std::string parent = dirs_.windows + "/" + kUndoParentFolder;
    const struct {
        const char* name;
        std::string blocker;  // a plain file where a folder must go
        std::string named;
    } cases[] = {
        {"no KORVALIN folder", parent, "\\UNDO0001"},
        {"no number left", parent + "/UNDO9999", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.named.empty())
            for (int n = 1; n < 9999; ++n)
                fs::create_directories(parent + "/UNDO" +
                                       std::string(4 - std::to_string(n).size(), '0') +
                                       std::to_string(n));
        dirs_.Write(fs::path(c.blocker).parent_path().string(),
                    fs::path(c.blocker).filename().c_str(), "");
        ResetInventory();
        Load(ReadFixtureText("demo.reg"));
        RenameAll(true);
        const std::string registryBefore = ExportTestRegistry();
        const auto filesBefore = Files(dirs_.windows);
        OkOutcome outcome;
        CarryOutOkChanges(g_inventory, &outcome);
        EXPECT_EQ(kOkUndoNotWritten, outcome.result);
        EXPECT_EQ(dirs_.windows + "\\" + kUndoParentFolder + c.named, outcome.undoFolder);
        EXPECT_EQ(registryBefore, ExportTestRegistry());
        EXPECT_EQ(filesBefore, Files(dirs_.windows));
        fs::remove_all(parent);
    }
}

// A driver file another program holds without sharing cannot be copied: what was written of the
// folder goes again (the KORVALIN folder too when this OK made it, never an earlier OK's), the
// reason names the file and what Windows said, and the next OK takes the same number.
TEST_F(UndoFolder, FileThatCannotBeCopiedLeavesNoFolderAndIsNamed) {
    const std::string parent = dirs_.windows + "\\" + kUndoParentFolder;
    const std::string driver = dirs_.system + "/quorvane.vxd";
    for (bool earlierOk : {false, true}) {
        SCOPED_TRACE(earlierOk ? "after an earlier OK" : "first OK");
        SetUp();  // the files the last round's OK deleted
        OkOutcome outcome;
        if (earlierOk) {
            Load(ReadFixtureText("demo.reg"));
            RenameAll(false);
            CarryOutOkChanges(g_inventory, &outcome);
            ASSERT_EQ(kOkDone, outcome.result);
        }
        ResetInventory();
        Load(ReadFixtureText("demo.reg"));
        RenameAll(true);
        const std::string registryBefore = ExportTestRegistry();
        const auto filesBefore = Files(dirs_.windows);
        {
            HeldFile holder(driver, true);
            CarryOutOkChanges(g_inventory, &outcome);
        }
        EXPECT_EQ(kOkUndoNotWritten, outcome.result);
        EXPECT_EQ(registryBefore, ExportTestRegistry());
        EXPECT_EQ(filesBefore, Files(dirs_.windows));
        const std::string folder = parent + (earlierOk ? "\\UNDO0002" : "\\UNDO0001");
        EXPECT_EQ(folder, outcome.undoFolder);
        EXPECT_FALSE(fs::exists(HostPath(folder)));
        EXPECT_EQ(earlierOk, fs::exists(HostPath(parent + "\\UNDO0001")));
        EXPECT_EQ(earlierOk, fs::exists(HostPath(parent)));
        char reason[kUndoFailureSize];
        EXPECT_EQ(kUndoFileHeld, DescribeUndoFailure(outcome, reason, sizeof reason));
        EXPECT_EQ(std::string(outcome.undoFile) +
                      " could not be copied: another program holds it open (error 32)",
                  reason);
        EXPECT_EQ(HostPath(outcome.undoFile), driver);

        CarryOutOkChanges(g_inventory, &outcome);
        EXPECT_EQ(kOkDone, outcome.result);
        EXPECT_EQ(folder, outcome.undoFolder);
        TearDown();
    }
}

// From real-mode DOS: UNDODOS.BAT puts the files back under 8.3 paths, in lines COMMAND.COM
// takes whole (127 characters, no quotes), then imports UNDO.REG with real-mode regedit. DOSBox,
// which knows only 8.3 names, runs it over the scratch tree as drive C:, with a stand-in REGEDIT
// that records its arguments.
TEST_F(UndoFolder, DosBatchPutsTheFilesBackByShortNamesInLinesDosTakesWhole) {
    const std::string root = fs::path(dirs_.windows).parent_path().string();
    FilesNativeSetDosDrive(root.c_str());
    Load(ReadFixtureText("machine.reg"));
    RenameAll(true);
    const auto filesBefore = Files(dirs_.windows);
    OkOutcome outcome;
    CarryOutOkChanges(g_inventory, &outcome);
    FilesNativeSetDosDrive(nullptr);
    ASSERT_EQ(kOkDone, outcome.result);
    const std::string folder = HostPath(std::string(outcome.undoFolder));

    const std::string batch = ReadFile(folder + "/" + kUndoDosBatchFile);
    const std::regex shortPart("[A-Z0-9_~!#$%&'()@^`{}-]{1,8}(\\.[A-Z0-9_~!#$%&'()@^`{}-]{1,3})?");
    int copies = 0;
    std::string last;
    for (size_t start = 0, end; (end = batch.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        last = batch.substr(start, end - start);
        EXPECT_LE(last.size(), 127u) << last;
        EXPECT_EQ(std::string::npos, last.find('"')) << last;
        copies += last.rfind("COPY FILE", 0) == 0;
        std::istringstream words(last);
        for (std::string word; words >> word;) {
            if (word.rfind("C:\\", 0) != 0 && word.find(":C:\\") == std::string::npos)
                continue;
            std::istringstream parts(word.substr(word.find("C:\\") + 3));
            for (std::string part; std::getline(parts, part, '\\');)
                EXPECT_TRUE(std::regex_match(part, shortPart)) << part << " in " << last;
        }
    }
    EXPECT_EQ(4, copies) << batch;  // the maker's three INF files and quorvane.vxd
    // Started from anywhere, it goes to its own folder first (DOSBox below starts it from C:\).
    EXPECT_NE(std::string::npos, batch.find("\r\nC:\r\nCD \\WINDOWS\\KORVALIN\\UNDO0001\r\n"))
        << batch;
    EXPECT_EQ("REGEDIT /L:C:\\WINDOWS\\SYSTEM.DAT /R:C:\\WINDOWS\\USER.DAT UNDO.REG", last);

    std::ofstream(root + "/REGEDIT.BAT") << "@ECHO %1 %2 %3 > C:\\REGEDIT.TXT\r\n";
    std::string dosFolder = std::string(outcome.undoFolder).substr(root.size());
    std::replace(dosFolder.begin(), dosFolder.end(), '/', '\\');
    const std::string command =
        "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 dosbox "
        "-noconsole -c 'mount c " +
        root +
        "' -c c: -c 'set PATH=C:\\' "
        "-c 'CALL " +
        dosFolder +
        "\\UNDODOS.BAT' -c exit "
        ">/dev/null 2>&1";
    ASSERT_EQ(0, system(command.c_str())) << command;
    EXPECT_EQ("/L:C:\\WINDOWS\\SYSTEM.DAT /R:C:\\WINDOWS\\USER.DAT UNDO.REG\r\n",
              ReadFile(root + "/REGEDIT.TXT"));
    // Each file is back byte for byte, under the 8.3 name DOS gave it.
    const auto filesAfter = Files(dirs_.windows);
    int restored = 0;
    for (const auto& [path, bytes] : filesBefore) {
        if (filesAfter.count(path))
            continue;
        fs::path host(path);
        char shortPath[260];
        std::ofstream(path) << bytes;  // back for a moment, to be named as OK named it
        FilesNativeSetDosDrive(root.c_str());
        ASSERT_NE(0u, FilesGetShortPath(path.c_str(), shortPath, sizeof shortPath));
        FilesNativeSetDosDrive(nullptr);
        fs::remove(host);
        std::string name = strrchr(shortPath, '\\') + 1;
        EXPECT_EQ(bytes, ReadFile(host.parent_path() / name)) << path;
        ++restored;
    }
    EXPECT_EQ(4, restored);
}

// A Windows directory whose 8.3 path makes the regedit line too long for DOS: UNDODOS.BAT
// changes to it first, and every line still fits.
TEST_F(UndoFolder, DosBatchLinesFitUnderALongWindowsDirectory) {
    char rootName[] = "/tmp/kvXXXXXX";
    const std::string root = mkdtemp(rootName);
    const std::string windows = root + "/ABCDEFGH/ABCDEFGH/ABCDEFGH/ABCDEFGH/ABCDEFGH/WINDOWS";
    fs::create_directories(windows + "/INF/other");
    fs::create_directories(windows + "/SYSTEM");
    std::ofstream(windows + "/INF/other/Varnak Systems LtdTESSAL16.INF") << kMakersInf;
    FilesNativeSetDirectories(windows.c_str(), (windows + "/SYSTEM").c_str());
    FilesNativeSetDosDrive(root.c_str());
    Load("REGEDIT4\n");
    OkOutcome outcome;
    CarryOutOkChanges(g_inventory, &outcome);
    FilesNativeSetDosDrive(nullptr);
    ASSERT_EQ(kOkDone, outcome.result);
    const std::string batch =
        ReadFile(HostPath(std::string(outcome.undoFolder)) + "/" + kUndoDosBatchFile);
    fs::remove_all(root);
    EXPECT_NE(std::string::npos,
              batch.find("COPY FILE0001.DAT C:\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\"
                         "WINDOWS\\INF\\OTHER\\VARNAK~1.INF\r\n"
                         "C:\r\nCD \\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\WINDOWS\r\n"
                         "REGEDIT /L:SYSTEM.DAT /R:USER.DAT KORVALIN\\UNDO0001\\UNDO.REG\r\n"))
        << batch;
    for (size_t start = 0, end; (end = batch.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 127u) << batch.substr(start, end - start);
}

}  // namespace

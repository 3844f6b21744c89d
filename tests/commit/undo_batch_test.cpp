// tests/commit/undo_batch_test.cpp: the undo folder's batch files under the shortest and the
// longest Windows directory and with INF names COMMAND.COM would misread, natively; then run for
// real: UNDO.BAT by Wine's cmd on the drive the tree lies on, UNDODOS.BAT and UNDO.BAT in DOSBox.
//
// The tree lies below the drive's root (a Wine prefix's drive_c where Wine runs, else a scratch
// folder) and the Windows directory is given as "C:\...", so that its 8.3 path can be as long
// as Windows' own limit allows. The Windows directory's COMMAND folder holds a FIND that
// cannot do what UNDO.BAT asks (Wine's rejects /V; DOSBox cannot run a Windows program at all):
// WININIT.INI must come through whole, and the line to take out by hand is shown.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commit/restart_deletions.h"
#include "commit/undo_folder.h"
#include "gtest/gtest.h"
#include "platform/files.h"
#include "platform/host/files_native.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace fs = std::filesystem;

namespace {

const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=Marrowlink\r\n";
const char kOtherRenames[] =
    "[rename]\r\nC:\\OTHER\\NEW.DLL=C:\\OTHER\\NEW.TMP\r\nNUL=C:\\OTHER\\OLD.DLL\r\n";

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Host(std::string path) {
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    return path;
}

// Every file below `windows` but the undo folders, the FIND and WININIT.INI, with its bytes.
std::map<std::string, std::string> Files(const fs::path& windows) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(windows)) {
        std::string path = entry.path().string();
        if (entry.is_regular_file() && path.find("/KORVALIN") == std::string::npos &&
            path.find("/COMMAND/") == std::string::npos &&
            path.find(kWininitFile) == std::string::npos)
            files[path] = Read(entry.path());
    }
    return files;
}

// The prefix Wine runs cmd in (made on first use), or "" where Wine does not run.
std::string WinePrefix() {
    const std::string run = std::string(KORVALIN_WINE_RUN) + " --prefix " + KORVALIN_UNDO_PREFIX +
                            " --bits 64 cmd /c exit >/dev/null 2>&1";
    return system(run.c_str()) == 0 ? KORVALIN_UNDO_PREFIX : "";
}

// A Windows directory at `host` with the maker's INF files named `names`, its driver and a
// WININIT.INI holding other programs' renames.
void MakeWindows(const fs::path& host, const std::vector<std::string>& names) {
    fs::remove_all(host);
    fs::create_directories(host / "INF/OTHER");
    fs::create_directories(host / "SYSTEM");
    for (const std::string& name : names)
        std::ofstream(host / "INF/OTHER" / name) << kMakersInf;
    std::ofstream(host / "SYSTEM/quorvane.vxd") << "MZ driver";
    std::ofstream(host / kWininitFile, std::ios::binary) << kOtherRenames;
}

// OK over the Windows directory `windows` ("C:\...", drive C: being `root`), its driver held
// open; WININIT.INI too, with no sharing, when `wininitHeld`.
OkOutcome OkWithTheDriverHeld(const std::string& root, const std::string& windows,
                              bool wininitHeld = false) {
    const std::string driver = windows + "\\SYSTEM\\quorvane.vxd";
    const std::string wininit = windows + "\\" + kWininitFile;
    FilesNativeSetDosDrive(root.c_str());
    FilesNativeSetDirectories(windows.c_str(), (windows + "\\SYSTEM").c_str());
    FilesNativeSetInUse(driver.c_str(), 1);
    FilesNativeSetInUse(wininit.c_str(), wininitHeld ? kFileHeldWithoutSharing : 0);
    ResetInventory();
    EXPECT_TRUE(LoadFixtureText("REGEDIT4\n"));
    BuildPortInventory();
    OkOutcome outcome;
    CarryOutOkChanges(g_inventory, &outcome);
    FilesNativeSetInUse(driver.c_str(), 0);
    FilesNativeSetInUse(wininit.c_str(), 0);
    FilesNativeSetDosDrive(nullptr);
    FilesNativeSetDirectories(nullptr, nullptr);
    return outcome;
}

// Runs `command` in `root` as drive C: in DOSBox, headless.
void RunInDosBox(const std::string& root, const std::string& command) {
    const std::string line =
        "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 dosbox -noconsole "
        "-c 'mount c " +
        root + "' -c c: -c '" + command + "' -c exit >/dev/null 2>&1";
    ASSERT_EQ(0, system(line.c_str())) << line;
}

TEST(UndoBatch, EveryLineFitsAndTheFilesComeBackUnderTheirOwnNames) {
    const std::string prefix = WinePrefix();
    char scratch[] = "/tmp/kvbXXXXXX";
    const std::string root = prefix.empty() ? mkdtemp(scratch) : prefix + "/drive_c";
    // The shortest Windows directory that breaks a line holding full paths, and the longest.
    const struct {
        std::string windows;
        size_t dosLength;  // of "C:\" and it
    } cases[] = {
        {"WINDOWS.000", 14},
        {"ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH.ABC\\"
         "WINDOWS.0",
         79},
        // The longest whose SYSTEM is within reach (79 characters), so a driver file
        // there is left for the restart.
        {"ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH\\ABCDEFGH.ABC\\WI", 72}};
    std::string longest;
    for (const auto& c : cases) {
        const std::string& windows = c.windows;
        SCOPED_TRACE(windows);
        ASSERT_EQ(c.dosLength, windows.size() + 3);
        // 200 characters, or as long as a full path may be (MAX_PATH): too long for any line.
        const std::string longInf =
            "Marrowlink " + std::string(std::min<size_t>(200, 259 - 11 - c.dosLength) - 15, 'x') +
            ".inf";
        const fs::path host = fs::path(root) / Host(windows);
        MakeWindows(host,
                    {longInf, "100% Varnak Tessaline.inf", "Tessal,16.inf", "Quor=vane;16.inf"});
        if (!prefix.empty()) {
            fs::create_directories(host / "COMMAND");
            fs::copy_file(prefix + "/drive_c/windows/system32/find.exe", host / "COMMAND/FIND.EXE");
        }
        const auto before = Files(host);
        const std::string dosFolder = "C:\\" + windows + "\\KORVALIN\\UNDO0001";
        const OkOutcome outcome = OkWithTheDriverHeld(root, "C:\\" + windows);
        ASSERT_EQ(kOkDone, outcome.result);
        ASSERT_EQ(dosFolder, outcome.undoFolder);
        const fs::path folder = host / "KORVALIN/UNDO0001";
        const std::string wininit = Read(host / kWininitFile);
        const bool held = c.dosLength + 7 <= 79;
        EXPECT_EQ(held, wininit != kOtherRenames);
        EXPECT_EQ(held ? kOtherRenames : "", Read(folder / kUndoWininitCopy));

        // Every line fits; UNDO.BAT names the line OK added, and ends back in its own folder.
        const std::string bat = Read(folder / kUndoBatchFile);
        for (const std::string& text : {bat, Read(folder / kUndoDosBatchFile)})
            for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
                 start = end + 2) {
                const std::string line = text.substr(start, end - start);
                EXPECT_LE(line.size(), 127u) << line;
                longest = line.size() > longest.size() ? line : longest;
            }
        const std::string added = "NUL=C:\\" + windows + "\\SYSTEM\\QUORVANE.VXD";
        EXPECT_EQ(held, wininit.find(added + "\r\n") != std::string::npos) << wininit;
        EXPECT_EQ(held, bat.find("\r\nREM " + added + "\r\n") != std::string::npos) << bat;
        EXPECT_EQ(bat.rfind("\r\nCD "),
                  bat.rfind("\r\nCD \\" + windows + "\\KORVALIN\\UNDO0001\r\n"))
            << bat;
        EXPECT_NE(std::string::npos, bat.find("\r\nREM MARROW~1.INF: its 8.3 name")) << bat;
        std::ofstream(folder / "REGEDIT.BAT") << "@ECHO OFF\r\n";
        // UNDO.BAT puts the long name back, but the one no line can hold.
        auto back = before;
        back.erase((host / "INF/OTHER" / longInf).string());
        back[(host / "INF/OTHER/MARROW~1.INF").string()] = kMakersInf;

        const auto afterOk = Files(host);
        if (!prefix.empty()) {
            const std::string output = Host(fs::path(root).string()) + "/UNDO.OUT";
            const std::string run = std::string(KORVALIN_WINE_RUN) + " --prefix " + prefix +
                                    " cmd /c '" + dosFolder + "\\UNDO.BAT & cd' >" + output +
                                    " 2>&1";
            EXPECT_EQ(0, system(run.c_str())) << run;
            const std::string said = Read(output);
            fs::remove(output);
            EXPECT_EQ(held, said.find("Take NUL=...\\SYSTEM\\QUORVANE.VXD out of WININIT.INI") !=
                                std::string::npos)
                << said;
            EXPECT_NE(std::string::npos, said.find(dosFolder + "\r\n")) << said;
            EXPECT_EQ(wininit, Read(host / kWininitFile));
            EXPECT_EQ(back, Files(host)) << "UNDO.BAT under Wine's cmd";
            for (const auto& [path, bytes] : Files(host))
                if (!afterOk.count(path))
                    fs::remove(path);
        }
        // DOSBox: no FIND, and only 8.3 names. UNDO.BAT leaves WININIT.INI whole; UNDODOS.BAT
        // puts each file back by its 8.3 name. DOS, and DOSBox, take no path longer than 80
        // characters: from DOS, only an undo folder within them can be used at all.
        if (dosFolder.size() + sizeof "\\UNDODOS.BAT" - 1 <= 80) {
            fs::remove_all(host / "COMMAND");
            RunInDosBox(root, "CALL " + dosFolder + "\\UNDO.BAT");
            EXPECT_EQ(wininit, Read(host / kWininitFile));
            for (const auto& [path, bytes] : Files(host))
                if (!afterOk.count(path))
                    fs::remove(path);
            RunInDosBox(root, "CALL " + dosFolder + "\\UNDODOS.BAT");
            EXPECT_EQ(wininit, Read(host / kWininitFile));
            for (const char* name :
                 {"MARROW~1.INF", "100%VA~1.INF", "TESSAL~1.INF", "QUOR_V~1.INF"})
                EXPECT_EQ(kMakersInf, Read(host / "INF/OTHER" / name)) << name;
            EXPECT_EQ(afterOk.size() + 4, Files(host).size());
        }
        fs::remove_all(host);
        fs::remove_all(fs::path(root) / Host(windows).substr(0, Host(windows).find('/')));
    }
    if (prefix.empty())
        fs::remove_all(root);
    printf("The longest batch line: %zu characters: %s\n", longest.size(), longest.c_str());
}

// WININIT.INI's bytes are part of the way back once OK will add to it: when they cannot be kept
// (another program holds the file with no sharing at all), OK changes nothing and says why.
TEST(UndoBatch, WininitThatCannotBeKeptChangesNothing) {
    char scratch[] = "/tmp/kvbXXXXXX";
    const fs::path root = mkdtemp(scratch);
    MakeWindows(root / "WINDOWS", {});
    const OkOutcome outcome = OkWithTheDriverHeld(root.string(), "C:\\WINDOWS", true);
    EXPECT_EQ(kOkUndoNotWritten, outcome.result);
    char reason[kUndoFailureSize];
    EXPECT_EQ(kUndoFileHeld, DescribeUndoFailure(outcome, reason, sizeof reason));
    EXPECT_STREQ("C:\\WINDOWS\\WININIT.INI", outcome.undoFile);
    EXPECT_EQ(kOtherRenames, Read(root / "WINDOWS" / kWininitFile));
    EXPECT_EQ("MZ driver", Read(root / "WINDOWS/SYSTEM/quorvane.vxd"));
    EXPECT_FALSE(fs::exists(root / "WINDOWS/KORVALIN"));
    fs::remove_all(root);
}

}  // namespace

// tests/commit/driver_files_test.cpp: which INF and driver files the clean-up deletes.
//
// Built natively (a temporary Windows and system directory) and for Wine (the prefix's own
// directories; only files the test made are touched).
#include <string>
#include <vector>

#include "commit/ok_steps.h"
#include "gtest/gtest.h"
#include "platform/files.h"
#include "tests/commit/commit_test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/host/files_native.h"
#endif

namespace {

// The clean-up step as OK runs it: through the real layer.
void RemoveDriverFilesAsOkDoes() {
    CommitLayer layer;
    InitRealCommitLayer(&layer, nullptr, nullptr);
    RemoveDriverFiles(&layer);
}

const char kMakersInf[] =
    "[Version]\r\nSignature=$CHICAGO$\r\n\r\n[Manufacturer]\r\n"
    "%Prov%=Marrowlink\r\n\r\n[Strings]\r\nProv=\"Varnak\"\r\n";
const char kOthersInf[] = "[Manufacturer]\r\n%Mfg%=Others\r\n";

TEST(DriverFiles, RecognisesTheMakersInfByTheTokenRightAfterTheFirstManufacturer) {
    const std::string x1023(1023, 'x'), x5000(5000, 'x');
    const struct {
        std::string text;
        bool deleted;
    } cases[] = {
        {kMakersInf, true},
        {"[Manufacturer]\n%Prov%=MarrowlinkM1M2\n", true},
        {"[Manufacturer]\n%Prov%=VarnakTessalineBoard\n", true},
        {"\t[Manufacturer]\f\v%Prov%=Marrowlink", true},  // any white space, no line end
        {"[Manufacturer]\n%Prov%=Marrowlink\x1a", true},  // Ctrl+Z ends a text file
        {"[Manufacturer]\n%Prov% = Marrowlink\n", false},
        {"[Manufacturer]\n; Varnak\n%Prov%=Marrowlink\n", false},
        {"[MANUFACTURER]\n%Prov%=Marrowlink\n", false},
        {"[Manufacturer]\n%prov%=marrowlink\n", false},
        {"[Manufacturer]\n%Prov%=Marrowlinks\n", false},
        {"[Manufacturer]\n%Mfg%=Others\n[Manufacturer]\n%Prov%=Marrowlink\n", false},
        {"[Version]\n[Manufacturer]\n", false},
        {"", false},
        // Up to 1023 characters a token is whole; a longer one matches nothing, nor its tail.
        {x1023 + "\n[Manufacturer]\n%Prov%=Marrowlink\n", true},
        {x5000 + "\n[Manufacturer]\n%Prov%=Marrowlink\n", true},
        {x1023 + "[Manufacturer] %Prov%=Marrowlink\n", false},
        {"[Manufacturer]\n" + x5000 + "%Prov%=Marrowlink\n", false},
    };
    ScratchDirectories dirs;
    std::vector<std::string> paths;
    for (const auto& c : cases)
        paths.push_back(dirs.Write(
            dirs.inf, ("oem" + std::to_string(900 + paths.size()) + ".inf").c_str(), c.text));
    RemoveDriverFilesAsOkDoes();
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(cases[i].deleted, !dirs.Exists(paths[i]))
            << paths[i] << ": " << cases[i].text.substr(0, 50);
}

TEST(DriverFiles, WalksOemInfInInfAndEveryInfInOtherPastFilesThatWillNotOpen) {
    ScratchDirectories dirs;
    const struct {
        const std::string& directory;
        const char* name;
        bool deleted;
    } cases[] = {
        {dirs.inf, "oem10.inf", true},      {dirs.inf, "OEM11.INF", true},
        {dirs.inf, "vendor.inf", false},    {dirs.inf, "oem12.txt", false},
        {dirs.other, "vendor.inf", true},   {dirs.other, "zz.INF", true},
        {dirs.windows, "oem13.inf", false}, {dirs.system, "oem14.inf", false},
    };
    std::vector<std::string> paths;
    for (const auto& c : cases)
        paths.push_back(dirs.Write(c.directory, c.name, kMakersInf));
    // Searched before the maker's files above, and none of them opens for update.
    std::string folder = dirs.MakeDirectory(dirs.inf, "oem0.inf");
    std::string otherFolder = dirs.MakeDirectory(dirs.other, "a.inf");
    std::string readOnly = dirs.Write(dirs.inf, "oem00.inf", kOthersInf);
    dirs.MakeReadOnly(readOnly);
#ifdef _WIN32
    std::string busy = dirs.Write(dirs.inf, "oem000.inf", kMakersInf);
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    RemoveDriverFilesAsOkDoes();
    CloseHandle(held);
    EXPECT_TRUE(dirs.Exists(busy));
#else
    RemoveDriverFilesAsOkDoes();
#endif
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(cases[i].deleted, !dirs.Exists(paths[i])) << paths[i];
    EXPECT_TRUE(dirs.Exists(folder) && dirs.Exists(otherFolder) && dirs.Exists(readOnly));
}

TEST(DriverFiles, DeletesThoseOfTheFiveDriverFilesThatExistInTheSystemDirectory) {
    ScratchDirectories dirs;
    std::string drivers[] = {dirs.Write(dirs.system, "quorvane.vxd", "x"),
                             dirs.Write(dirs.system, "BRISQUEL.VXD", "x"),
                             dirs.Write(dirs.system, "halvetor.dll", "x")};
    std::string serial = dirs.Write(dirs.system, "serial.vxd", "x");
    std::string elsewhere = dirs.Write(dirs.other, "quorvane.dll", "x");
    RemoveDriverFilesAsOkDoes();
    for (const std::string& driver : drivers)
        EXPECT_FALSE(dirs.Exists(driver)) << driver;
    EXPECT_TRUE(dirs.Exists(serial) && dirs.Exists(elsewhere));
    EXPECT_EQ(1, FilesExists("serial.vxd"));  // the system directory stays current
}

#ifndef _WIN32
TEST(DriverFiles, DirectoriesNotHadWhollyLeaveTheirFiles) {
    ScratchDirectories dirs;
    const std::string longWindows = dirs.windows + "/" + std::string(80, 'w');
    const std::string missing = dirs.windows + "/GONE";
    const struct {
        const char* windows;
        const char* system;
        bool infDeleted, driverDeleted;
    } cases[] = {
        {nullptr, dirs.system.c_str(), false, false},
        {longWindows.c_str(), dirs.system.c_str(), false, false},
        {dirs.windows.c_str(), nullptr, true, false},
        // Driver names are relative: looked up in INF\other they would hit the decoy.
        {dirs.windows.c_str(), missing.c_str(), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.windows ? c.windows : "-") << " " << (c.system ? c.system : "-"));
        std::string inf = dirs.Write(dirs.inf, "oem1.inf", kMakersInf);
        std::string driver = dirs.Write(dirs.system, "quorvane.vxd", "x");
        std::string decoy = dirs.Write(dirs.other, "quorvane.dll", "x");
        FilesNativeSetDirectories(c.windows, c.system);
        RemoveDriverFilesAsOkDoes();
        EXPECT_EQ(c.infDeleted, !dirs.Exists(inf));
        EXPECT_EQ(c.driverDeleted, !dirs.Exists(driver));
        EXPECT_TRUE(dirs.Exists(decoy));
    }
}
#endif

}  // namespace

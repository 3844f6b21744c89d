// tests/commit/driver_files_test.cpp: which INF and driver files the clean-up deletes.
//
// Built natively (a temporary Windows and system directory) and for Wine (the prefix's own
// C:\windows\inf, inf\other and system directory; only files the test made are touched).
#include <string>
#include <vector>

#include "commit/commit.h"
#include "gtest/gtest.h"
#include "platform/files.h"
#include "tests/commit/commit_test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class DriverFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dirs_.ok()); }
    ScratchDirectories dirs_;
};

const char kMakersInf[] =
    "[Version]\r\nSignature=$CHICAGO$\r\n\r\n[Manufacturer]\r\n"
    "%Prov%=Marrowlink\r\n\r\n[Strings]\r\nProv=\"Varnak\"\r\n";
const char kOtherInf[] =
    "[Version]\r\nSignature=$CHICAGO$\r\n\r\n[Manufacturer]\r\n"
    "%Mfg%=Others\r\n";

TEST_F(DriverFiles, RecognisesTheMakersInfByTheTokenAfterTheFirstManufacturerLine) {
    const std::string longToken(1023, 'x');
    const std::string tooLongToken(5000, 'x');
    struct Case {
        std::string content;
        bool deleted;
    } cases[] = {
        {"[Manufacturer]\n%Prov%=Marrowlink\n", true},
        {"[Manufacturer]\n%Prov%=MarrowlinkM1M2\n", true},
        {"[Manufacturer]\n%Prov%=VarnakTessalineBoard\n", true},
        {kMakersInf, true},
        {"\t[Manufacturer]\f\v%Prov%=Marrowlink", true},  // any white space; no line end
        {"[Manufacturer]\n%Prov%=Marrowlink\x1a", true},  // Ctrl+Z ends a text file
        {"[Manufacturer]\n%Prov% = Marrowlink\n", false},
        {"[Manufacturer]\n; Varnak\n%Prov%=Marrowlink\n", false},
        {"[MANUFACTURER]\n%Prov%=Marrowlink\n", false},
        {"[Manufacturer]\n%prov%=marrowlink\n", false},
        {"[Manufacturer]\n%Prov%=Marrowlinks\n", false},
        {"[Manufacturer]\n%Mfg%=Others\n[Manufacturer]\n%Prov%=Marrowlink\n", false},
        {"[Manufacturer]\n%Mfg%=Others\n[Other]\n%Prov%=Marrowlink\n", false},
        {"[Version]\n[Manufacturer]", false},
        {"[Version]\n[Manufacturer]\n", false},
        {"", false},
        {"%Prov%=Marrowlink\n", false},
        // Tokens of up to 1023 characters are read whole; a longer one is no token we know, and
        // its tail is not taken for one either.
        {longToken + "\n[Manufacturer]\n%Prov%=Marrowlink\n", true},
        {longToken + "[Manufacturer] %Prov%=Marrowlink\n", false},
        {tooLongToken + "\n[Manufacturer]\n%Prov%=Marrowlink\n", true},
        {"[Manufacturer]\n" + tooLongToken + "\n", false},
        {"[Manufacturer]\n" + tooLongToken + "%Prov%=Marrowlink\n", false},
    };
    std::vector<std::string> paths;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        paths.push_back(
            dirs_.Write(dirs_.inf, "oem" + std::to_string(900 + i) + ".inf", cases[i].content));
    RemoveDriverFiles();
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i] + ": " + cases[i].content.substr(0, 60));
        EXPECT_EQ(cases[i].deleted, !dirs_.Exists(paths[i]));
    }
}

TEST_F(DriverFiles, ExaminesOemInfFilesInInfAndEveryInfFileInOther) {
    struct Case {
        const std::string* directory;
        const char* name;
        bool deleted;
    } cases[] = {
        {&dirs_.inf, "oem3.inf", true},      {&dirs_.inf, "OEM4.INF", true},
        {&dirs_.inf, "oem.inf", true},       {&dirs_.inf, "marrow.inf", false},
        {&dirs_.inf, "oem5.txt", false},     {&dirs_.other, "marrow.inf", true},
        {&dirs_.other, "OEM6.INF", true},    {&dirs_.other, "marrow.txt", false},
        {&dirs_.windows, "oem7.inf", false}, {&dirs_.system, "oem8.inf", false},
    };
    std::vector<std::string> paths;
    for (const Case& c : cases)
        paths.push_back(dirs_.Write(*c.directory, c.name, kMakersInf));
    std::string others = dirs_.Write(dirs_.inf, "oem9.inf", kOtherInf);
    RemoveDriverFiles();
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        EXPECT_EQ(cases[i].deleted, !dirs_.Exists(paths[i]));
    }
    EXPECT_TRUE(dirs_.Exists(others));
}

TEST_F(DriverFiles, FileThatCannotBeOpenedIsPassedOverAndTheWalkGoesOn) {
    // Names chosen to come up in this order: the maker's files before and after the one that
    // will not open must both go.
    std::string first = dirs_.Write(dirs_.inf, "oem10.inf", kMakersInf);
    std::string folder = dirs_.MakeDirectory(dirs_.inf, "oem11.inf");
    std::string readOnly = dirs_.Write(dirs_.inf, "oem12.inf", kOtherInf);
    dirs_.MakeReadOnly(readOnly);
    std::string after = dirs_.Write(dirs_.inf, "oem13.inf", kMakersInf);
    std::string otherFolder = dirs_.MakeDirectory(dirs_.other, "sub.inf");
    std::string otherAfter = dirs_.Write(dirs_.other, "zz.inf", kMakersInf);
#ifdef _WIN32
    // A file another program holds without sharing.
    std::string busy = dirs_.Write(dirs_.inf, "oem115.inf", kMakersInf);
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
#endif
    RemoveDriverFiles();
#ifdef _WIN32
    CloseHandle(held);
    EXPECT_TRUE(dirs_.Exists(busy));
#endif
    EXPECT_FALSE(dirs_.Exists(first));
    EXPECT_TRUE(dirs_.Exists(folder));
    EXPECT_TRUE(dirs_.Exists(readOnly));
    EXPECT_FALSE(dirs_.Exists(after));
    EXPECT_TRUE(dirs_.Exists(otherFolder));
    EXPECT_FALSE(dirs_.Exists(otherAfter));
}

TEST_F(DriverFiles, DeletesThoseOfTheFiveDriverFilesThatExist) {
    std::string vxd = dirs_.Write(dirs_.system, "quorvane.vxd", "driver");
    std::string brisquel = dirs_.Write(dirs_.system, "BRISQUEL.VXD", "driver");
    std::string halvetor = dirs_.Write(dirs_.system, "halvetor.dll", "driver");
    std::string serial = dirs_.Write(dirs_.system, "serial.vxd", "driver");
    std::string elsewhere = dirs_.Write(dirs_.windows, "quorvane.dll", "driver");
    RemoveDriverFiles();
    EXPECT_FALSE(dirs_.Exists(vxd));
    EXPECT_FALSE(dirs_.Exists(brisquel));
    EXPECT_FALSE(dirs_.Exists(halvetor));
    EXPECT_TRUE(dirs_.Exists(serial));
    EXPECT_TRUE(dirs_.Exists(elsewhere));
    // The system directory stays current.
    EXPECT_EQ(1, FilesExists("serial.vxd"));

    // With none of them left, a second run has nothing to do.
    RemoveDriverFiles();
    EXPECT_TRUE(dirs_.Exists(serial));
}

#ifndef _WIN32

TEST_F(DriverFiles, DirectoriesThatCannotBeHadWhollyLeaveTheirFiles) {
    const std::string longWindows = dirs_.windows + "/" + std::string(80, 'w');
    struct Case {
        const char* what;
        std::string windows;  // "-": the query fails
        std::string system;
        bool infDeleted, driverDeleted;
    } cases[] = {
        {"no Windows directory", "-", dirs_.system, false, false},
        {"Windows directory too long", longWindows, dirs_.system, false, false},
        {"no system directory", dirs_.windows, "-", true, false},
        // The driver names are relative: in the wrong directory they would hit other files.
        {"system directory missing", dirs_.windows, dirs_.windows + "/GONE", true, false},
        {"Windows directory without INF", dirs_.system, dirs_.system, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string inf = dirs_.Write(dirs_.inf, "oem1.inf", kMakersInf);
        std::string driver = dirs_.Write(dirs_.system, "quorvane.vxd", "driver");
        // Where the last walk leaves the current directory.
        std::string decoy = dirs_.Write(dirs_.other, "quorvane.dll", "not ours");
        FilesNativeSetDirectories(c.windows == "-" ? nullptr : c.windows.c_str(),
                                  c.system == "-" ? nullptr : c.system.c_str());
        RemoveDriverFiles();
        EXPECT_EQ(c.infDeleted, !dirs_.Exists(inf));
        EXPECT_EQ(c.driverDeleted, !dirs_.Exists(driver));
        EXPECT_TRUE(dirs_.Exists(decoy));
    }
}

#endif

}  // namespace

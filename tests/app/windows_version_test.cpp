// tests/app/windows_version_test.cpp: the Windows the tests' Wine prefix reports, printed for the
// test log. On the i686 side it must be Windows 95 as first shipped, the version the program
// meets on the machines it is made for; the x86_64 side only says what it ran as.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

const char* PlatformName(DWORD platform) {
    switch (platform) {
        case VER_PLATFORM_WIN32s:
            return "Win32s";
        case VER_PLATFORM_WIN32_WINDOWS:
            return "Windows 95";
        case VER_PLATFORM_WIN32_NT:
            return "Windows NT";
    }
    return "unknown";
}

TEST(WindowsVersion, IsWindows95OnTheShippingSide) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info)) << "error " << GetLastError();
    // Windows 95 repeats major and minor in the high word of the build number.
    DWORD build = LOWORD(info.dwBuildNumber);
    std::printf("Windows version seen by the tests: %lu.%lu build %lu, %s platform\n",
                static_cast<unsigned long>(info.dwMajorVersion),
                static_cast<unsigned long>(info.dwMinorVersion), static_cast<unsigned long>(build),
                PlatformName(info.dwPlatformId));
    std::fflush(stdout);
#ifndef _WIN64
    EXPECT_EQ(4u, info.dwMajorVersion);
    EXPECT_EQ(0u, info.dwMinorVersion);
    EXPECT_EQ(950u, build);
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), info.dwPlatformId);
    // The older call must agree: 4.0 in the low word, the high bit set for the Windows 95 line.
    DWORD version = GetVersion();
    EXPECT_EQ(0x0004u, LOWORD(version));
    EXPECT_NE(0u, version & 0x80000000u);
#endif
}

}  // namespace

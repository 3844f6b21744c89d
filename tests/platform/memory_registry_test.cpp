// tests/platform/memory_registry_test.cpp: what only the in-memory registry offers or promises:
// loading and saving, fault injection, the handle pool and its leak count, stale handles, and
// operations that leave the heap alone.
#include "platform/host/memory_registry.h"

#include <stdlib.h>
#include <string.h>

#include <new>
#include <string>

#include <gtest/gtest.h>

#include "platform/registry.h"

// Counts heap allocations while a test asks it to, so it can prove the operations make none.
static long allocationCount = 0;
static bool countAllocations = false;

void* operator new(size_t size) {
    if (countAllocations)
        ++allocationCount;
    void* block = malloc(size ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}
void operator delete(void* block) noexcept {
    free(block);
}
void operator delete(void* block, size_t) noexcept {
    free(block);
}

namespace {

const char kPorts[] =
    "REGEDIT4\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0000]\n"
    "\"PORTNAME\"=\"COM1\"\n"
    "\"DeviceDesc\"=\"Communications Port\"\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0001]\n"
    "\"PORTNAME\"=\"COM2\"\n";

class MemoryRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        MemoryRegistryReset();
        std::string error;
        ASSERT_TRUE(MemoryRegistryLoad(kPorts, sizeof kPorts - 1, &error)) << error;
    }
    void TearDown() override {
        countAllocations = false;
        MemoryRegistryReset();
    }
};

TEST_F(MemoryRegistry, SavesWhatLoadingGivesBackExactly) {
    std::string saved = MemoryRegistrySave();
    EXPECT_EQ(
        "REGEDIT4\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0000]\n"
        "\"PORTNAME\"=\"COM1\"\n"
        "\"DeviceDesc\"=\"Communications Port\"\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0001]\n"
        "\"PORTNAME\"=\"COM2\"\n"
        "\n",
        saved);
    MemoryRegistryReset();
    EXPECT_EQ("REGEDIT4\n\n", MemoryRegistrySave());
    std::string error;
    ASSERT_TRUE(MemoryRegistryLoad(saved.data(), saved.size(), &error)) << error;
    EXPECT_EQ(saved, MemoryRegistrySave());
}

TEST_F(MemoryRegistry, LoadingMergesIntoWhatIsThere) {
    const char more[] =
        "REGEDIT4\n"
        "[HKLM\\ENUM\\root\\*pnp0501\\0000]\n"
        "\"portname\"=\"COM9\"\n"
        "\"Driver\"=\"Ports\\\\0000\"\n"
        "[HKLM\\Enum\\BIOS]\n"
        "@=hex:01\n";
    std::string error;
    ASSERT_TRUE(MemoryRegistryLoad(more, sizeof more - 1, &error)) << error;
    // Existing keys and values keep the case they were created with.
    EXPECT_EQ(
        "REGEDIT4\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\BIOS]\n"
        "@=hex:01\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0000]\n"
        "\"PORTNAME\"=\"COM9\"\n"
        "\"DeviceDesc\"=\"Communications Port\"\n"
        "\"Driver\"=\"Ports\\\\0000\"\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0001]\n"
        "\"PORTNAME\"=\"COM2\"\n"
        "\n",
        MemoryRegistrySave());
}

TEST_F(MemoryRegistry, AMalformedFileChangesNothing) {
    std::string before = MemoryRegistrySave();
    const char bad[] =
        "REGEDIT4\n"
        "[HKLM\\Enum\\Root\\New]\n"
        "\"PORTNAME\"=\"COM3\"\n"
        "[HKLM\\Enum\\Root\\*PNP0501\\0000]\n"
        "\"PORTNAME\"=dword:zz\n";
    std::string error;
    EXPECT_FALSE(MemoryRegistryLoad(bad, sizeof bad - 1, &error));
    EXPECT_EQ("line 5: dword has no hex digits", error);
    EXPECT_EQ(before, MemoryRegistrySave());
    EXPECT_FALSE(MemoryRegistryLoadFile("/nonexistent/korvalin.reg", &error));
    EXPECT_EQ("cannot open /nonexistent/korvalin.reg", error);
}

TEST_F(MemoryRegistry, KeepsSubkeysOrderedWhateverOrderTheyArriveIn) {
    std::string ascending = "REGEDIT4\n", descending = "REGEDIT4\n";
    for (int i = 0; i < 2000; ++i) {
        char line[64];
        snprintf(line, sizeof line, "[HKLM\\Up\\K%05d]\n", i);
        ascending += line;
        snprintf(line, sizeof line, "[HKLM\\Down\\k%05d]\n", 1999 - i);
        descending += line;
    }
    std::string error;
    ASSERT_TRUE(MemoryRegistryLoad(ascending.data(), ascending.size(), &error)) << error;
    ASSERT_TRUE(MemoryRegistryLoad(descending.data(), descending.size(), &error)) << error;
    for (const char* parent : {"Up", "Down"}) {
        RegistryKey key;
        ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), parent, &key));
        for (unsigned long i = 0; i < 2000; ++i) {
            char name[16], expected[16];
            unsigned long length = sizeof name;
            ASSERT_EQ(kRegistryOk, RegistryEnumKey(key, i, name, &length));
            snprintf(expected, sizeof expected, "K%05lu", i);
            ASSERT_EQ(0, strcasecmp(expected, name)) << name;
        }
        RegistryCloseKey(key);
    }
}

TEST_F(MemoryRegistry, ShortBuffersAreLeftAsTheyWere) {
    RegistryKey key;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root\\*PNP0501", &key));
    char name[8];
    memset(name, '#', sizeof name);
    unsigned long length = 4;  // "0000" needs five
    EXPECT_EQ(kRegistryMoreData, RegistryEnumKey(key, 0, name, &length));
    EXPECT_EQ(std::string(8, '#'), std::string(name, 8));
    EXPECT_EQ(4u, length);
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(key, "0000", &port));
    char data[8];
    memset(data, '#', sizeof data);
    unsigned long size = 4;  // "COM1" needs five
    EXPECT_EQ(kRegistryMoreData, RegistryQueryValue(port, "PORTNAME", data, &size));
    EXPECT_EQ(std::string(8, '#'), std::string(data, 8));
    EXPECT_EQ(5u, size);  // the size it would need, as Win32 reports it
    size = 0;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "PORTNAME", nullptr, &size));
    EXPECT_EQ(5u, size);
    RegistryCloseKey(port);
    RegistryCloseKey(key);
}

TEST_F(MemoryRegistry, RejectsBadArguments) {
    RegistryKey key;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &key));
    EXPECT_EQ(kRegistryBadArgument, RegistryOpenKey(key, "Root", nullptr));
    unsigned long length = 10;
    EXPECT_EQ(kRegistryBadArgument, RegistryEnumKey(key, 0, nullptr, &length));
    char data[8];
    EXPECT_EQ(kRegistryBadArgument, RegistryQueryValue(key, "x", data, nullptr));
    EXPECT_EQ(kRegistryBadArgument, RegistrySetStringValue(key, "x", nullptr, 3));
    EXPECT_EQ(kRegistryAccessDenied, RegistryDeleteKey(RegistryRoot(), ""));
    RegistryCloseKey(key);
}

TEST_F(MemoryRegistry, CountsOpenHandlesAndRefusesStaleOnes) {
    EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
    RegistryKey a, b;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &a));
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(a, nullptr, &b));
    EXPECT_NE(a, b);
    EXPECT_EQ(2, MemoryRegistryOpenHandleCount());
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(a));
    EXPECT_EQ(kRegistryInvalidHandle, RegistryCloseKey(a));
    char name[16];
    unsigned long length = sizeof name;
    EXPECT_EQ(kRegistryInvalidHandle, RegistryEnumKey(a, 0, name, &length));
    EXPECT_EQ(kRegistryInvalidHandle, RegistryCloseKey(nullptr));
    EXPECT_EQ(kRegistryInvalidHandle,
              RegistryCloseKey(reinterpret_cast<RegistryKey>(reinterpret_cast<char*>(b) + 1)));
    EXPECT_EQ(1, MemoryRegistryOpenHandleCount());
    // The root is always valid and never counted; closing it changes nothing.
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(RegistryRoot()));
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &a));
    RegistryCloseKey(a);
    // A reset closes everything.
    MemoryRegistryReset();
    EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
    EXPECT_EQ(kRegistryInvalidHandle, RegistryCloseKey(b));
}

TEST_F(MemoryRegistry, RunsOutOfHandlesAtThePoolSize) {
    static RegistryKey keys[kMemoryRegistryHandlePoolSize];
    for (int i = 0; i < kMemoryRegistryHandlePoolSize; ++i) {
        ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &keys[i])) << i;
    }
    RegistryKey more;
    EXPECT_EQ(kMemoryRegistryNoFreeHandle, RegistryOpenKey(RegistryRoot(), "Enum", &more));
    EXPECT_EQ(nullptr, more);
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(keys[7]));
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &keys[7]));
    for (RegistryKey key : keys)
        EXPECT_EQ(kRegistryOk, RegistryCloseKey(key));
    EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
}

TEST_F(MemoryRegistry, DeletedKeysStayDeletedWhenLoadedAgain) {
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root\\*PNP0501\\0001", &port));
    ASSERT_EQ(kRegistryOk, RegistryDeleteKey(RegistryRoot(), "Enum\\Root\\*PNP0501\\0001"));
    RegistryKey reopened;
    EXPECT_EQ(kRegistryKeyDeleted, RegistryOpenKey(port, "", &reopened));
    EXPECT_EQ(kRegistryKeyDeleted, RegistryDeleteKey(port, ""));
    // A key of the same name made afresh is a new key: the old handle still fails.
    std::string error;
    ASSERT_TRUE(MemoryRegistryLoad(kPorts, sizeof kPorts - 1, &error)) << error;
    char data[8];
    unsigned long size = sizeof data;
    EXPECT_EQ(kRegistryKeyDeleted, RegistryQueryValue(port, "PORTNAME", data, &size));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root\\*PNP0501\\0001", &port));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
}

TEST_F(MemoryRegistry, FailsTheArmedOperationOnlyAndNeverAClose) {
    long before = MemoryRegistryOperationCount();
    MemoryRegistryFailOperation(3, kRegistryAccessDenied);
    RegistryKey a, b, c;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &a));  // 1
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(a));                          // not counted
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &b));  // 2
    EXPECT_EQ(kRegistryAccessDenied, RegistryOpenKey(b, "Root", &c));     // 3: fails
    EXPECT_EQ(nullptr, c);
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(b, "Root", &c));  // 4: disarmed again
    EXPECT_EQ(before + 4, MemoryRegistryOperationCount());
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(c));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(b));

    // Each kind of operation fails when armed, and does nothing.
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root\\*PNP0501\\0000", &port));
    char buffer[32];
    unsigned long size = sizeof buffer;
    MemoryRegistryFailOperation(1, kRegistryNotFound);
    EXPECT_EQ(kRegistryNotFound, RegistryQueryValue(port, "PORTNAME", buffer, &size));
    MemoryRegistryFailOperation(1, kRegistryMoreData);
    size = sizeof buffer;
    EXPECT_EQ(kRegistryMoreData, RegistryEnumKey(RegistryRoot(), 0, buffer, &size));
    MemoryRegistryFailOperation(1, kRegistryAccessDenied);
    EXPECT_EQ(kRegistryAccessDenied, RegistrySetStringValue(port, "PORTNAME", "COM8", 5));
    MemoryRegistryFailOperation(1, kRegistryAccessDenied);
    EXPECT_EQ(kRegistryAccessDenied,
              RegistryDeleteKey(RegistryRoot(), "Enum\\Root\\*PNP0501\\0001"));
    size = sizeof buffer;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "PORTNAME", buffer, &size));
    EXPECT_STREQ("COM1", buffer);
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
    EXPECT_NE(std::string::npos, MemoryRegistrySave().find("*PNP0501\\0001]"));

    MemoryRegistryFailOperation(1, kRegistryAccessDenied);
    MemoryRegistryFailOperation(0, 0);  // disarmed
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum", &a));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(a));
    MemoryRegistryReset();
    EXPECT_EQ(0, MemoryRegistryOperationCount());
}

TEST_F(MemoryRegistry, OperationsLeaveTheHeapAlone) {
    allocationCount = 0;
    countAllocations = true;
    RegistryKey root, port;
    char name[80];
    unsigned long length = sizeof name;
    char data[40];
    unsigned long size = sizeof data;
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root\\*PNP0501", &root));
    EXPECT_EQ(kRegistryOk, RegistryEnumKey(root, 0, name, &length));
    EXPECT_EQ(kRegistryOk, RegistryOpenKey(root, name, &port));
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "DeviceDesc", data, &size));
    // Longer than the loaded "COM1" but within the room loading left.
    EXPECT_EQ(kRegistryOk, RegistrySetStringValue(port, "PORTNAME", "COM1234567890123456", 20));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
    EXPECT_EQ(kRegistryOk, RegistryDeleteKey(root, "0001"));
    EXPECT_EQ(kRegistryNotFound, RegistryOpenKey(root, "0001", &port));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(root));
    countAllocations = false;
    EXPECT_EQ(0, allocationCount);
}

}  // namespace

// tests/platform/registry_contract_test.cpp: what the walks rely on from the registry, checked
// against whichever registry the build runs on: the in-memory one natively, Wine's under Wine.
// Every expectation here must hold on both, which is how we know the in-memory registry
// behaves like the real one.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/fixture_registry.h"

namespace {

class RegistryContract : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(
            LoadFixtureText("REGEDIT4\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\a_b]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\B]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\AZ]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\ab]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\a]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\0000]\n"
                            "\"PORTNAME\"=\"COM12\"\n"
                            "\"DeviceDesc\"=\"Communications Port\"\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\ABCDE]\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\ABCDE\\Child]\n",
                            &error))
            << error;
        ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "Enum\\Root", &root_));
    }
    void TearDown() override {
        if (root_)
            RegistryCloseKey(root_);
        ClearTestRegistry();
    }

    RegistryKey root_ = nullptr;
};

TEST_F(RegistryContract, EnumeratesSubkeysSortedWithoutCaseLikeWine) {
    RegistryKey order;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Order", &order));
    std::string names;
    char name[80];
    unsigned long index = 0;
    for (;; ++index) {
        unsigned long length = sizeof name;
        long result = RegistryEnumKey(order, index, name, &length);
        if (result != kRegistryOk) {
            EXPECT_EQ(kRegistryNoMoreItems, result);
            break;
        }
        EXPECT_EQ(strlen(name), length);
        names += name;
        names += ' ';
    }
    // Lower-cased, '_' (0x5F) sorts before 'b' and 'z'; a prefix sorts first.
    EXPECT_EQ("a a_b ab AZ B ", names);
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(order));
}

TEST_F(RegistryContract, MatchesKeyAndValueNamesWithoutCase) {
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(RegistryRoot(), "eNUM\\rOOT\\ports\\0000", &port));
    char data[20];
    unsigned long size = sizeof data;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "portname", data, &size));
    EXPECT_EQ(6u, size);
    EXPECT_STREQ("COM12", data);
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
}

TEST_F(RegistryContract, OpensMultiLevelPathsAndReopensWithAnEmptyPath) {
    RegistryKey child, again;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports\\ABCDE\\Child", &child));
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(child, "", &again));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(again));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(child));
    RegistryKey missing;
    EXPECT_EQ(kRegistryNotFound, RegistryOpenKey(root_, "Ports\\Missing", &missing));
    EXPECT_EQ(kRegistryNotFound, RegistryOpenKey(root_, "Missing\\0000", &missing));
}

TEST_F(RegistryContract, FailsNamesThatDoNotFitTheBuffer) {
    RegistryKey ports;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports", &ports));
    char name[16];
    // Index 1 is "ABCDE", five characters: a buffer of six fits it, five does not.
    unsigned long length = 0;
    length = 6;
    EXPECT_EQ(kRegistryOk, RegistryEnumKey(ports, 1, name, &length));
    EXPECT_EQ(5u, length);
    EXPECT_STREQ("ABCDE", name);
    length = 5;
    EXPECT_EQ(kRegistryMoreData, RegistryEnumKey(ports, 1, name, &length));
    length = sizeof name;
    EXPECT_EQ(kRegistryNoMoreItems, RegistryEnumKey(ports, 2, name, &length));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(ports));
}

TEST_F(RegistryContract, FailsValuesLongerThanTheBuffer) {
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports\\0000", &port));
    char data[20];
    // "COM12" with its NUL is six bytes: a buffer of six fits it, five does not.
    unsigned long size = 6;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "PORTNAME", data, &size));
    EXPECT_EQ(6u, size);
    size = 5;
    EXPECT_EQ(kRegistryMoreData, RegistryQueryValue(port, "PORTNAME", data, &size));
    size = sizeof data;
    EXPECT_EQ(kRegistryNotFound, RegistryQueryValue(port, "Driver", data, &size));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
}

TEST_F(RegistryContract, WritesStringValuesInPlaceAndAsNewValues) {
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports\\0000", &port));
    EXPECT_EQ(kRegistryOk, RegistrySetStringValue(port, "portname", "COM7", 5));
    EXPECT_EQ(kRegistryOk, RegistrySetStringValue(port, "Extra", "x", 2));
    const std::string longName(60, 'L');
    EXPECT_EQ(kRegistryOk, RegistrySetStringValue(port, "DeviceDesc", longName.c_str(),
                                                  static_cast<unsigned long>(longName.size() + 1)));
    char data[80];
    unsigned long size = sizeof data;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "PORTNAME", data, &size));
    EXPECT_EQ(5u, size);
    EXPECT_STREQ("COM7", data);
    size = sizeof data;
    EXPECT_EQ(kRegistryOk, RegistryQueryValue(port, "DeviceDesc", data, &size));
    EXPECT_EQ(longName, data);
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
    // The name keeps the case it was created with.
    EXPECT_EQ(
        "REGEDIT4\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\a]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\a_b]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\ab]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\AZ]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Order\\B]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\0000]\n"
        "\"DeviceDesc\"=\"" +
            longName +
            "\"\n"
            "\"Extra\"=\"x\"\n"
            "\"PORTNAME\"=\"COM7\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\ABCDE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Enum\\Root\\Ports\\ABCDE\\Child]\n"
            "\n",
        ExportTestRegistry());
}

TEST_F(RegistryContract, RefusesToDeleteAKeyThatHasSubkeys) {
    EXPECT_EQ(kRegistryAccessDenied, RegistryDeleteKey(root_, "Ports\\ABCDE"));
    RegistryKey still;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports\\ABCDE\\Child", &still));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(still));
}

TEST_F(RegistryContract, DeletesByNameOrTwoLevelPath) {
    EXPECT_EQ(kRegistryOk, RegistryDeleteKey(root_, "Ports\\ABCDE\\Child"));
    RegistryKey ports;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports", &ports));
    EXPECT_EQ(kRegistryOk, RegistryDeleteKey(ports, "ABCDE"));
    EXPECT_EQ(kRegistryOk, RegistryDeleteKey(root_, "ports\\0000"));
    char name[80];
    unsigned long length = sizeof name;
    EXPECT_EQ(kRegistryNoMoreItems, RegistryEnumKey(ports, 0, name, &length));
    EXPECT_EQ(kRegistryNotFound, RegistryDeleteKey(ports, "0000"));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(ports));
}

TEST_F(RegistryContract, HandlesToADeletedKeyFailUntilClosed) {
    RegistryKey port;
    ASSERT_EQ(kRegistryOk, RegistryOpenKey(root_, "Ports\\0000", &port));
    ASSERT_EQ(kRegistryOk, RegistryDeleteKey(root_, "Ports\\0000"));
    char data[20];
    unsigned long size = sizeof data;
    EXPECT_EQ(kRegistryKeyDeleted, RegistryQueryValue(port, "PORTNAME", data, &size));
    EXPECT_EQ(kRegistryKeyDeleted, RegistrySetStringValue(port, "PORTNAME", "COM1", 5));
    unsigned long length = sizeof data;
    EXPECT_EQ(kRegistryKeyDeleted, RegistryEnumKey(port, 0, data, &length));
    EXPECT_EQ(kRegistryOk, RegistryCloseKey(port));
}

TEST(FixtureRegistry, ExportsAFixtureTheSameOnEveryRegistry) {
    std::string error;
    ASSERT_TRUE(LoadFixtureFile("registry_round_trip.reg", &error)) << error;
    std::string exported = ExportTestRegistry();
    EXPECT_EQ(ReadFixtureText("registry_round_trip.expected.reg"), exported);
    // Loading the export again changes nothing.
    ASSERT_TRUE(LoadFixtureText(exported, &error)) << error;
    EXPECT_EQ(exported, ExportTestRegistry());
    ClearTestRegistry();
    EXPECT_EQ("REGEDIT4\n\n", ExportTestRegistry());
}

TEST(FixtureRegistry, RefusesKeysOutsideTheOwnedSubtrees) {
    const char* const outside[] = {
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Korvalin]\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\\SCSI\\X]\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum]\n\"value\"=\"on an ancestor\"\n",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Classes]\n",
    };
    for (const char* text : outside) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(LoadFixtureText(text, &error));
        EXPECT_NE(std::string::npos, error.find("outside the keys the tests own")) << error;
    }
}

TEST(FixtureRegistry, ReportsMalformedFixturesWithTheirLine) {
    std::string error;
    EXPECT_FALSE(
        LoadFixtureText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\\Root]\n\"a\"=dword:x\n", &error));
    EXPECT_EQ("malformed fixture: line 3: dword has no hex digits", error);
    EXPECT_FALSE(LoadFixtureFile("no_such_fixture.reg", &error));
    EXPECT_NE(std::string::npos, error.find("cannot open fixture")) << error;
    EXPECT_NE(std::string::npos, error.find("no_such_fixture.reg")) << error;
}

}  // namespace

#include "board/WindowsVersion.h"
#include "host/VersionRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv4130 {
namespace {

TEST(WindowsVersionName, EveryRowOfTheNameTable) {
    const std::pair<OsVersionInfo, const char*> rows[] = {
        {{1, 4, 0}, "Windows 95"},
        {{1, 4, 10}, "Windows 98"},
        {{1, 4, 90}, ""},
        {{2, 3, 51}, "Windows NT 3.51"},
        {{2, 3, 10}, "Windows NT 3.51"},
        {{2, 4, 0}, "Windows NT 4.0"},
        {{2, 5, 0}, "Windows 2000"},
        {{2, 5, 1}, "Windows 2000"},
        {{2, 6, 0}, ""},
        {{2, 10, 0}, ""},
        {{0, 4, 0}, "Failed"},
        {{0, 0, 0}, "Failed"},
        {{3, 5, 0}, "Failed"},
    };
    for (const auto& [version, name] : rows) {
        EXPECT_EQ(WindowsVersionName(version), name)
            << version.platformId << " " << version.major << "." << version.minor;
        EXPECT_EQ(UsesFixedPortAddress(WindowsVersionName(version)),
                  version.platformId == 1 && (version.minor == 0 || version.minor == 10));
    }
    EXPECT_EQ(WindowsVersionName(NoOsVersion().Query()), "Failed");
}

TEST(WindowsVersionName, TheRecordIsPreparedWithItsSizeAndABlankServicePackText) {
    VersionRecordLayout record;
    std::memset(&record, 0x5A, sizeof record);
    PrepareVersionRecord(record);
    EXPECT_EQ(record.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(std::string(record.szCSDVersion, 128), std::string(128, ' '));
    // Left as prepared by a failed call, it names no system.
    EXPECT_EQ(ReadVersionRecord(record), OsVersionInfo{});
    record.dwPlatformId = 2;
    record.dwMajorVersion = 4;
    record.dwMinorVersion = 1;
    EXPECT_EQ(ReadVersionRecord(record), (OsVersionInfo{2, 4, 1}));
}

TEST(PortAddressFromBase, AcceptsEveryBaseWhoseControlRegisterFitsTheIoSpace) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {888, 888},       {3, 3},        {0x7FFF, 0x7FFF}, {0xD010, 0xD010}, {-12272, 0xD010},
        {-32768, 0x8000}, {-3, 0xFFFD},  {0xFFFD, 0xFFFD}, {0xFFFE, {}},     {-2, {}},
        {-1, {}},         {0x10378, {}}, {-32769, {}},     {0, {}},          {2, {}},
    };
    for (const auto& [base, address] : rows) {
        EXPECT_EQ(PortAddressFromBase(base), address) << "base " << base;
    }
}

TEST(StatusSwitch, FoundAnywhereInAnyCase) {
    for (const char* text : {"/SS", "/ss", "/Ss", "X/SSY", "-platform offscreen /ss"}) {
        EXPECT_TRUE(HasStatusSwitch(text)) << text;
    }
    for (const char* text : {"", "/S S", "SS", "\\SS"}) {
        EXPECT_FALSE(HasStatusSwitch(text)) << text;
    }
}

TEST(StatusText, NameThenALoneCarriageReturnThenTheAddressInUpperCaseHex) {
    EXPECT_EQ(StatusText("Windows NT 4.0", 888),
              "Windows Version:Windows NT 4.0\rPort Address:0x378");
    EXPECT_EQ(StatusText("", 956), "Windows Version:\rPort Address:0x3BC");
    EXPECT_EQ(StatusText("Failed", 0), "Windows Version:Failed\rPort Address:0x0");
    EXPECT_EQ(StatusText("Failed", 0xD010), "Windows Version:Failed\rPort Address:0xD010");
}

} // namespace
} // namespace qv4130

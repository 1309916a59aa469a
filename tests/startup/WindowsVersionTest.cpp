#include "board/WindowsVersion.h"
#include "host/VersionRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv4130 {
namespace {

TEST(WindowsVersionName, EveryRowOfTheNameTable) {
    // clang-format off
    const std::pair<OsVersionInfo, const char*> rows[] = {
        {{1, 4, 0}, "Windows 95"}, {{1, 4, 10}, "Windows 98"}, {{1, 4, 90}, ""},
        {{2, 3, 51}, "Windows NT 3.51"}, {{2, 3, 10}, "Windows NT 3.51"},
        {{2, 4, 0}, "Windows NT 4.0"}, {{2, 5, 0}, "Windows 2000"}, {{2, 5, 1}, "Windows 2000"},
        {{2, 6, 0}, ""}, {{0, 4, 0}, "Failed"}, {{3, 5, 0}, "Failed"},
    };
    // clang-format on
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

} // namespace
} // namespace qv4130

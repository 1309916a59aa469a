#include "board/WindowsVersion.h"
#include "host/VersionRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv4130 {
namespace {

TEST(WindowsVersionName, EveryRowOfTheNameTable) {
    struct Row {
        OsVersionInfo version;
        const char* name;
    };
    const Row rows[] = {
        {{1, 4, 0}, "Windows 95"},
        {{1, 4, 10}, "Windows 98"},
        {{1, 4, 90}, ""}, // Me: a 9x system, but not one the port search knows
        {{1, 0, 1}, ""},
        {{2, 3, 51}, "Windows NT 3.51"},
        {{2, 3, 10}, "Windows NT 3.51"}, // only the major version counts on NT
        {{2, 4, 0}, "Windows NT 4.0"},
        {{2, 5, 0}, "Windows 2000"},
        {{2, 5, 1}, "Windows 2000"}, // XP
        {{2, 6, 1}, ""},
        {{2, 10, 0}, ""},
        {{0, 4, 0}, "Failed"}, // Win32s
        {{0, 0, 0}, "Failed"}, // the version call failed
        {{3, 5, 0}, "Failed"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WindowsVersionName(row.version), row.name)
            << "platform " << row.version.platformId << " " << row.version.major << "."
            << row.version.minor;
    }
}

TEST(WindowsVersionName, OnlyThe9xNamesTakeTheFixedAddress) {
    for (const char* name : {"Windows 95", "Windows 98"}) {
        EXPECT_TRUE(UsesFixedPortAddress(name)) << name;
    }
    for (const char* name : {"Windows NT 3.51", "Windows NT 4.0", "Windows 2000", "Failed", ""}) {
        EXPECT_FALSE(UsesFixedPortAddress(name)) << name;
    }
}

TEST(WindowsVersionName, HostsWithoutTheVersionCallReportAFailure) {
    EXPECT_EQ(WindowsVersionName(NoOsVersion().Query()), "Failed");
#if !defined(_WIN32)
    EXPECT_EQ(WindowsVersionName(MakeHostOsVersionSource()->Query()), "Failed");
#endif
}

TEST(VersionRecord, IsPreparedWithItsSizeAndABlankServicePackText) {
    VersionRecordLayout record;
    std::memset(&record, 0x5A, sizeof record);
    PrepareVersionRecord(record);
    EXPECT_EQ(record.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(record.dwMajorVersion, 0u);
    EXPECT_EQ(record.dwMinorVersion, 0u);
    EXPECT_EQ(record.dwBuildNumber, 0u);
    EXPECT_EQ(record.dwPlatformId, 0u);
    EXPECT_EQ(std::string(record.szCSDVersion, 128), std::string(128, ' '));
    // Untouched by a failed call, it names no system.
    EXPECT_EQ(WindowsVersionName(ReadVersionRecord(record)), "Failed");

    record.dwPlatformId = 2;
    record.dwMajorVersion = 4;
    record.dwMinorVersion = 0;
    EXPECT_EQ(ReadVersionRecord(record), (OsVersionInfo{2, 4, 0}));
}

TEST(PortAddressFromBase, AcceptsEveryBaseWhoseControlRegisterFitsTheIoSpace) {
    struct Row {
        std::int32_t base;
        std::optional<std::uint16_t> address;
    };
    const Row rows[] = {
        {888, 888},
        {632, 632},
        {956, 956},
        {700, 700},
        {3, 3},
        {0x7FFF, 0x7FFF},
        {0xD010, 0xD010}, // a PCI card
        {-12272, 0xD010}, // the same card's address read as a signed 16-bit value
        {-32768, 0x8000},
        {-3, 0xFFFD},
        {0xFFFD, 0xFFFD}, // control register at 0xFFFF, the last I/O address
        {0xFFFE, std::nullopt},
        {0xFFFF, std::nullopt},
        {-2, std::nullopt},
        {-1, std::nullopt},
        {0x10000, std::nullopt},
        {0x10378, std::nullopt}, // must not wrap onto LPT1
        {-32769, std::nullopt},
        {0, std::nullopt}, // the DMA controller's registers, never a printer port
        {1, std::nullopt},
        {2, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PortAddressFromBase(row.base), row.address) << "base " << row.base;
    }
}

TEST(StatusSwitch, FoundAnywhereInAnyCase) {
    for (const char* text :
         {"/SS", "/ss", "/Ss", "/sS", "X/SSY", "-platform offscreen /ss", "//SSS"}) {
        EXPECT_TRUE(HasStatusSwitch(text)) << text;
    }
    for (const char* text : {"", "/S S", "SS", "/S", "\\SS", "/ S S"}) {
        EXPECT_FALSE(HasStatusSwitch(text)) << text;
    }
}

TEST(StatusText, NameThenALoneCarriageReturnThenTheAddressInUpperCaseHex) {
    struct Row {
        const char* osName;
        std::uint16_t address;
        const char* text;
    };
    const Row rows[] = {
        {"Windows NT 4.0", 888, "Windows Version:Windows NT 4.0\rPort Address:0x378"},
        {"Windows 98", 632, "Windows Version:Windows 98\rPort Address:0x278"},
        {"Windows 2000", 956, "Windows Version:Windows 2000\rPort Address:0x3BC"},
        {"", 700, "Windows Version:\rPort Address:0x2BC"},
        {"Failed", 0, "Windows Version:Failed\rPort Address:0x0"},
        {"Failed", 0xD010, "Windows Version:Failed\rPort Address:0xD010"},
        {"Failed", 0x8000, "Windows Version:Failed\rPort Address:0x8000"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StatusText(row.osName, row.address), row.text);
    }
}

} // namespace
} // namespace qv4130

// What start-up reads: the host's version, the base address the port library
// reports. The command line is ProgramOptionsTest's; the built program's
// --version and --help are checked by run_program.sh.
#include "startup/WindowsVersion.h"

#include <gtest/gtest.h>

namespace qv4130 {
namespace {

TEST(WindowsVersionName, EveryRowOfTheNameTable) {
    // clang-format off
    const std::pair<OsVersionInfo, const char*> rows[] = {
        {{1, 4, 0}, "Windows 95"}, {{1, 4, 10}, "Windows 98"}, {{1, 4, 90}, ""},
        {{2, 3, 10}, "Windows NT 3.51"}, {{2, 4, 0}, "Windows NT 4.0"},
        {{2, 5, 1}, "Windows 2000"}, {{2, 6, 0}, ""}, {{0, 4, 0}, "Failed"}, {{3, 5, 0}, "Failed"},
    };
    // clang-format on
    for (const auto& [version, name] : rows) {
        EXPECT_EQ(WindowsVersionName(version), name)
            << version.platformId << " " << version.major << "." << version.minor;
        EXPECT_EQ(UsesFixedPortAddress(WindowsVersionName(version)),
                  version.platformId == 1 && (version.minor == 0 || version.minor == 10));
    }
}

TEST(PortAddressFromBase, AcceptsEveryBaseWhoseControlRegisterFitsTheIoSpace) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {3, 3},           {2, {}},      {0xFFFD, 0xFFFD}, {0xFFFE, {}}, {-12272, 0xD010},
        {-32768, 0x8000}, {-32769, {}}, {-3, 0xFFFD},     {-2, {}},     {0x10378, {}},
    };
    for (const auto& [base, address] : rows) {
        EXPECT_EQ(PortAddressFromBase(base), address) << "base " << base;
    }
}

} // namespace
} // namespace qv4130

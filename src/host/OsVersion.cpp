#include "OsVersion.h"

#if defined(_WIN32)
#include <windows.h>

#include <cstring>
#endif

namespace qv4130 {

#if defined(_WIN32)
namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

class WindowsOsVersion final : public OsVersionSource {
public:
    OsVersionInfo Query() override {
        // The size filled in, the service-pack text all blanks, everything else
        // zero, so a call that fails leaves fields that name no system ("Failed").
        OSVERSIONINFOA record;
        std::memset(&record, 0, sizeof record);
        record.dwOSVersionInfoSize = sizeof record;
        std::memset(record.szCSDVersion, ' ', sizeof record.szCSDVersion);
        // Deprecated since Windows 8.1, where it reports 6.2 to programs without
        // a compatibility manifest; that still names no listed system, as it should.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        // The result is not looked at: a failed call leaves the fields zero.
        (void)GetVersionExA(&record);
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
        return {static_cast<std::uint32_t>(record.dwPlatformId),
                static_cast<std::uint32_t>(record.dwMajorVersion),
                static_cast<std::uint32_t>(record.dwMinorVersion)};
    }
};

} // namespace

std::unique_ptr<OsVersionSource> MakeHostOsVersionSource() {
    return std::make_unique<WindowsOsVersion>();
}
#else
std::unique_ptr<OsVersionSource> MakeHostOsVersionSource() {
    return std::make_unique<NoOsVersion>();
}
#endif

} // namespace qv4130

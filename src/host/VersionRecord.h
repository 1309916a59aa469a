#pragma once

#include "OsVersion.h"

#include <cstdint>
#include <cstring>

namespace qv4130 {

// The byte layout of Win32's OSVERSIONINFOA, so that the way the record is
// prepared and read can be checked on hosts without <windows.h>.
struct VersionRecordLayout {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(VersionRecordLayout) == 148, "OSVERSIONINFOA is 148 bytes");

// Prepares the record the way the version call has always been given it: the
// size filled in, the service-pack text all blanks, everything else zero. When
// the call fails the fields stay zero, which names no system ("Failed").
template <typename Record> void PrepareVersionRecord(Record& record) {
    std::memset(&record, 0, sizeof record);
    record.dwOSVersionInfoSize = static_cast<decltype(record.dwOSVersionInfoSize)>(sizeof record);
    std::memset(record.szCSDVersion, ' ', sizeof record.szCSDVersion);
}

template <typename Record> OsVersionInfo ReadVersionRecord(const Record& record) {
    return {static_cast<std::uint32_t>(record.dwPlatformId),
            static_cast<std::uint32_t>(record.dwMajorVersion),
            static_cast<std::uint32_t>(record.dwMinorVersion)};
}

} // namespace qv4130

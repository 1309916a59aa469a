#pragma once

namespace qv4130::identity {

// Who the program is: shown in the About box, the title bars and --version.
inline constexpr const char* Title = "QV4130";
inline constexpr int VersionMajor = 2;
inline constexpr int VersionMinor = 0;
inline constexpr int VersionRevision = 1;
inline constexpr const char* FileVersion = "2.0.0.1";
inline constexpr const char* VersionString = "2.00.0001";
inline constexpr const char* CompanyName = "Tessaron Inc.";

} // namespace qv4130::identity

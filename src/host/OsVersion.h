#pragma once

#include <cstdint>
#include <memory>

namespace qv4130 {

// The three fields of the host's version record that name the operating system.
// All zero when the host could not say.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;

    bool operator==(const OsVersionInfo&) const = default;
};

// Where the host's version comes from: GetVersionExA on Windows.
class OsVersionSource {
public:
    virtual ~OsVersionSource() = default;
    virtual OsVersionInfo Query() = 0;
};

// The stand-in for hosts that have no Windows version call: the call "fails",
// so every field stays zero.
class NoOsVersion final : public OsVersionSource {
public:
    OsVersionInfo Query() override { return {}; }
};

// The host's own source: GetVersionExA on Windows, NoOsVersion elsewhere.
std::unique_ptr<OsVersionSource> MakeHostOsVersionSource();

} // namespace qv4130

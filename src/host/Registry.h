#pragma once

#include <cstdint>
#include <string>

namespace qv4130 {

// An open registry key as the host hands it out (an HKEY on Windows).
using RegistryKeyHandle = std::uintptr_t;

// The predefined root keys are sign-extended 32-bit values, as the registry API
// declares them.
inline constexpr std::int32_t HkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);

// KEY_ALL_ACCESS. Asking for this much on a machine-wide key fails for an ordinary
// user on later systems; such a lookup simply counts as not found.
inline constexpr std::uint32_t KeyAllAccess = 0x2003F;

inline constexpr std::uint32_t RegSz = 1;    // text
inline constexpr std::uint32_t RegDword = 4; // 32-bit number, least significant byte first

inline constexpr std::int32_t RegistrySuccess = 0;      // ERROR_SUCCESS
inline constexpr std::int32_t RegistryFileNotFound = 2; // ERROR_FILE_NOT_FOUND
inline constexpr std::int32_t RegistryMoreData = 234;   // ERROR_MORE_DATA

// The three registry calls the System Information start makes, with the host's
// result codes (0 is success). Text is the system's 8-bit code page, passed
// through unchanged.
class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA: on 0 the key is open and `handle` set.
    virtual std::int32_t OpenKey(std::int32_t root, const std::string& subKey,
                                 std::uint32_t options, std::uint32_t accessMask,
                                 RegistryKeyHandle& handle) = 0;

    // RegQueryValueExA: `size` holds the buffer's length in bytes on entry and the
    // length of the data on return. Data longer than the buffer fails (234).
    virtual std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                                    std::uint32_t& type, std::uint8_t* data,
                                    std::uint32_t& size) = 0;

    // RegCloseKey; its result tells the caller nothing it could act on.
    virtual void CloseKey(RegistryKeyHandle handle) = 0;
};

// The host's own registry: advapi32 on Windows. Other hosts have none, so every
// key fails to open with ERROR_FILE_NOT_FOUND.
class HostRegistry final : public Registry {
public:
    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t accessMask, RegistryKeyHandle& handle) override;
    std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                            std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override;
    void CloseKey(RegistryKeyHandle handle) override;
};

} // namespace qv4130

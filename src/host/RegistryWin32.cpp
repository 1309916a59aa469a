// The registry through advapi32's ANSI calls, so value text stays in the
// system's 8-bit code page from the registry to the program start.
#if defined(_WIN32)

#include "Registry.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace qv4130 {

namespace {
HKEY ToHkey(RegistryKeyHandle handle) {
    return reinterpret_cast<HKEY>(handle);
}

// The predefined roots are LONG values sign-extended to pointer width
// (HKEY_LOCAL_MACHINE is (HKEY)(ULONG_PTR)(LONG)0x80000002).
HKEY RootToHkey(std::int32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(root)));
}
} // namespace

std::int32_t HostRegistry::OpenKey(std::int32_t root, const std::string& subKey,
                                   std::uint32_t options, std::uint32_t accessMask,
                                   RegistryKeyHandle& handle) {
    HKEY opened = nullptr;
    const LONG result = ::RegOpenKeyExA(RootToHkey(root), subKey.c_str(), options,
                                        static_cast<REGSAM>(accessMask), &opened);
    handle = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKeyHandle>(opened) : 0;
    return static_cast<std::int32_t>(result);
}

std::int32_t HostRegistry::QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                                      std::uint32_t& type, std::uint8_t* data,
                                      std::uint32_t& size) {
    DWORD valueType = 0;
    DWORD length = size;
    const LONG result =
        ::RegQueryValueExA(ToHkey(handle), valueName.c_str(), nullptr, &valueType, data, &length);
    type = valueType;
    size = length;
    return static_cast<std::int32_t>(result);
}

void HostRegistry::CloseKey(RegistryKeyHandle handle) {
    ::RegCloseKey(ToHkey(handle));
}

} // namespace qv4130

#endif

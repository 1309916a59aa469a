// Hosts without a registry: no key exists, so nothing is ever opened or read.
#if !defined(_WIN32)

#include "Registry.h"

namespace qv4130 {

std::int32_t HostRegistry::OpenKey(std::int32_t, const std::string&, std::uint32_t, std::uint32_t,
                                   RegistryKeyHandle& handle) {
    handle = 0;
    return RegistryFileNotFound;
}

std::int32_t HostRegistry::QueryValue(RegistryKeyHandle, const std::string&, std::uint32_t& type,
                                      std::uint8_t*, std::uint32_t& size) {
    type = 0;
    size = 0;
    return RegistryFileNotFound;
}

void HostRegistry::CloseKey(RegistryKeyHandle) {}

} // namespace qv4130

#endif

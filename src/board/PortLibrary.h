#pragma once

#include <parllio/parllio.h>

#include <cstdint>
#include <optional>
#include <string>

namespace qv4130 {

// The port-library calls the programs make. The real binding loads the
// shared library by name; tests and the virtual board put their own in its place.
class PortLibrary {
public:
    virtual ~PortLibrary() = default;

    virtual std::int32_t GetParallelPortCount() = 0;
    virtual std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) = 0;
    virtual std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) = 0;
    virtual std::int32_t InByte(std::int32_t address) = 0;
    virtual void OutByte(std::int32_t address, std::int32_t value) = 0;

    // Gives the claim back, after sending what the library still holds for the
    // port (a USB adapter sends its bytes a moment after the write). The windows
    // never call it: their claim lasts the run. A one-shot command does, so
    // that a failure to send its last bytes is its own. Nothing by default.
    virtual std::int32_t ReleaseParallelPort(std::int32_t /*port*/) { return 0; }

    // The library's own words on its last failure (why a claim was refused and
    // what to do), for a library that can give them; nothing otherwise.
    virtual std::optional<std::string> LastError() { return std::nullopt; }
};

} // namespace qv4130

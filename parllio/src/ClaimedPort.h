#pragma once

#include "Complaints.h"
#include "Kernel.h"
#include "Port.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace parllio {

// One printer port opened and claimed through ppdev, and the byte-wide view of
// its three registers that a program written for raw port I/O expects.
// Releasing and closing happen when the object goes.
class ClaimedPort final : public Port {
public:
    // Opens /dev/parport<index> and claims it, exclusively if no other driver has
    // the port registered, shared otherwise. Tells why and gives nothing when it can't.
    static std::unique_ptr<ClaimedPort> Claim(Kernel& kernel, Complaints& complaints, int index,
                                              std::chrono::milliseconds patience);

    // Only Claim makes one; the key keeps the constructor to it while make_unique can call it.
    class Key {
        friend class ClaimedPort;
        Key() = default;
    };
    ClaimedPort(Key, Kernel& kernel, Complaints& complaints, int fd, std::string path);
    ~ClaimedPort() override;
    ClaimedPort(const ClaimedPort&) = delete;
    ClaimedPort& operator=(const ClaimedPort&) = delete;

    std::uint8_t ReadData() override;
    std::uint8_t ReadStatus() override;
    std::uint8_t ReadControl() override;
    void WriteData(std::uint8_t value) override;
    void WriteControl(std::uint8_t value) override;

private:
    std::uint8_t ReadRegister(unsigned long request, const char* what);
    void Fail(const char* what, int error);

    Kernel& kernel_;
    Complaints& complaints_;
    int fd_;
    std::string path_;
    // ppdev moves only the four output lines of the control register (bits 0
    // to 3) and reports only those back; the direction bit (5) has an ioctl of
    // its own and the others none. The whole byte last written is kept here so
    // a read-modify-write sees what it would see on the raw register.
    std::uint8_t control_ = 0;
    // Unknown until the first control write, which therefore always sets it.
    std::optional<bool> dataLinesInput_;
};

} // namespace parllio

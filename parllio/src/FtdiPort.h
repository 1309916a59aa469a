#pragma once

#include "Complaints.h"
#include "Ftdi.h"
#include "IdleFlusher.h"
#include "Port.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace parllio {

// What to do when this user may not open an adapter.
inline constexpr const char* UdevAdvice =
    " (install the library's udev rule, 60-parllio-ftdi.rules, into /etc/udev/rules.d, "
    "then plug the adapter in again: see the README)";

// An FTDI USB adapter in bit-bang mode standing in for a printer port: each
// byte written to the data register sets the adapter's eight lines D0 to D7.
//
// A USB transfer costs about a millisecond however few bytes it carries, so the
// bytes are collected and sent together, in order, none dropped or merged: when
// a register is read, when the buffer is full, when the caller has written
// nothing for about 100 µs (the flush thread), and when the port goes.
//
// The data register reads back the last byte written and the control register
// the copy of its last write (the adapter has no such lines); the status
// register reads as a port with nothing on its inputs.
class FtdiPort final : public Port {
public:
    // Opens `device`, sets bit-bang mode and its pace. Tells why and gives
    // nothing when it can't.
    static std::unique_ptr<FtdiPort> Open(Ftdi& ftdi, Complaints& complaints, IdleFlusher& flusher,
                                          const FtdiDevice& device);

    // Only Open makes one; the key keeps the constructor to it while make_unique can call it.
    class Key {
        friend class FtdiPort;
        Key() = default;
    };
    FtdiPort(Key, Ftdi& ftdi, Complaints& complaints, IdleFlusher& flusher, int handle,
             std::string name);
    ~FtdiPort() override;
    FtdiPort(const FtdiPort&) = delete;
    FtdiPort& operator=(const FtdiPort&) = delete;

    std::uint8_t ReadData() override;
    std::uint8_t ReadStatus() override;
    std::uint8_t ReadControl() override;
    void WriteData(std::uint8_t value) override;
    void WriteControl(std::uint8_t value) override;

    // The flush thread's look, every tick: sends what waits when nothing was
    // written since the last look. True while bytes still wait.
    bool FlushIfIdle();

private:
    void Flush();

    // libftdi's own transfer size: a full buffer goes out as one bulk transfer.
    static constexpr std::uint64_t Capacity = 4096;

    Ftdi& ftdi_;
    Complaints& complaints_;
    IdleFlusher& flusher_;
    const int handle_;
    const std::string name_;

    // A ring the caller fills and whoever flushes empties. The counts only grow;
    // a byte's slot is its count modulo the capacity. The caller writes without
    // a lock: only sending takes one.
    std::array<std::uint8_t, Capacity> ring_{};
    alignas(64) std::atomic<std::uint64_t> written_{0};
    alignas(64) std::atomic<std::uint64_t> sent_{0};
    std::mutex sending_;
    std::array<std::uint8_t, Capacity> transfer_{}; // the bytes of one send, in a row
    bool gone_ = false;                             // unplugged: later bytes are dropped
    std::uint64_t seenByFlusher_ = 0;

    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0;
};

} // namespace parllio

#include "FtdiPort.h"

#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace parllio {
namespace {

constexpr std::uint8_t AllOutputs = 0xFF;
// Asynchronous bit-bang: each byte written sets the eight lines at the pace
// below. libftdi and FTDI's own driver give the mode the same number.
constexpr std::uint8_t AsyncBitBang = 0x01;

// The pace asked of libftdi. In bit-bang mode libftdi programs four times the
// rate asked for, and an FT232R clocks out a byte every sixteenth of that: 10,000
// gives about 640,000 bytes a second, each held 1.6 µs, no shorter than a
// printer port's write of about 1 µs. The board's timing needs far less.
constexpr int BitBangRate = 10'000;

// libftdi's codes from opening an adapter.
constexpr int ConfigurationRefused = -3;
constexpr int CannotOpen = -4;
constexpr int ClaimRefused = -5;
constexpr int NoPermission = -8;

std::string Describe(Ftdi& ftdi, const FtdiDevice& device) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", static_cast<unsigned>(device.vendor),
                  static_cast<unsigned>(device.product));
    return std::string("the FTDI adapter ") + ids +
           (device.serial.empty() ? "" : " (serial " + device.serial + ")") + " at " +
           ftdi.Where(device);
}

std::string OpenFailure(Ftdi& ftdi, const FtdiDevice& device, int code) {
    const std::string what = Describe(ftdi, device);
    if (code == NoPermission || (code == CannotOpen && !device.accessible)) {
        return "no permission to use " + what + UdevAdvice;
    }
    if (code == ConfigurationRefused || code == ClaimRefused) {
        return "cannot claim " + what +
               ": another program has it, or the kernel's serial driver would not let it go "
               "(close that program; if none has it: sudo rmmod ftdi_sio)";
    }
    return "cannot open " + what + ": " + ftdi.ErrorText(Ftdi::NoHandle);
}

} // namespace

std::unique_ptr<FtdiPort> FtdiPort::Open(Ftdi& ftdi, Complaints& complaints, IdleFlusher& flusher,
                                         const FtdiDevice& device) {
    const int handle = ftdi.Open(device);
    if (handle < 0) {
        complaints.Tell(OpenFailure(ftdi, device, handle));
        return nullptr;
    }
    // The mode first: libftdi scales the rate only once it knows the adapter bit-bangs.
    const std::string what = Describe(ftdi, device);
    std::string failed;
    if (ftdi.SetBitMode(handle, AllOutputs, AsyncBitBang) < 0) {
        failed = "cannot put " + what + " into bit-bang mode: ";
    } else if (ftdi.SetBaudRate(handle, BitBangRate) < 0) {
        failed = "cannot set the pace of " + what + ": ";
    }
    if (!failed.empty()) {
        complaints.Tell(failed + ftdi.ErrorText(handle));
        ftdi.Close(handle);
        return nullptr;
    }
    return std::make_unique<FtdiPort>(Key{}, ftdi, complaints, flusher, handle, what);
}

FtdiPort::FtdiPort(Key, Ftdi& ftdi, Complaints& complaints, IdleFlusher& flusher, int handle,
                   std::string name)
    : ftdi_(ftdi), complaints_(complaints), flusher_(flusher), handle_(handle),
      name_(std::move(name)) {
    flusher_.Join(*this);
}

FtdiPort::~FtdiPort() {
    flusher_.Leave(*this);
    Flush();
    ftdi_.Close(handle_);
}

void FtdiPort::Flush() {
    const std::lock_guard guard(sending_);
    const std::uint64_t from = sent_.load(std::memory_order_relaxed);
    const std::uint64_t to = written_.load(std::memory_order_acquire);
    if (from == to || gone_) {
        sent_.store(to, std::memory_order_release);
        return;
    }
    const auto count = static_cast<std::size_t>(to - from);
    const std::size_t start = from % Capacity;
    const std::size_t first = std::min(count, static_cast<std::size_t>(Capacity) - start);
    std::copy_n(ring_.begin() + static_cast<std::ptrdiff_t>(start), first, transfer_.begin());
    std::copy_n(ring_.begin(), count - first,
                transfer_.begin() + static_cast<std::ptrdiff_t>(first));
    if (ftdi_.Write(handle_, transfer_.data(), static_cast<int>(count)) < 0) {
        gone_ = true;
        complaints_.Tell(name_ + " stopped taking bytes (" + ftdi_.ErrorText(handle_) +
                         "); what is written to it is dropped from now on: plug it back in "
                         "and start the program again");
    }
    sent_.store(to, std::memory_order_release);
}

bool FtdiPort::FlushIfIdle() {
    const std::uint64_t written = written_.load(std::memory_order_acquire);
    if (written != seenByFlusher_) {
        seenByFlusher_ = written; // still writing, or was: look again next tick
        return written != sent_.load(std::memory_order_acquire);
    }
    if (written != sent_.load(std::memory_order_acquire)) {
        Flush();
    }
    return written_.load(std::memory_order_acquire) != sent_.load(std::memory_order_acquire);
}

void FtdiPort::WriteData(std::uint8_t value) {
    data_ = value;
    const std::uint64_t at = written_.load(std::memory_order_relaxed);
    const std::uint64_t sent = sent_.load(std::memory_order_acquire);
    if (at - sent == Capacity) {
        Flush();
    }
    ring_[at % Capacity] = value;
    written_.store(at + 1, std::memory_order_release);
    if (at == sent) {
        flusher_.Wake(); // the first byte of a burst: the flush thread may be asleep
    }
}

std::uint8_t FtdiPort::ReadData() {
    Flush();
    return data_;
}

std::uint8_t FtdiPort::ReadStatus() {
    Flush();
    return qv4130::IdleStatus;
}

std::uint8_t FtdiPort::ReadControl() {
    Flush();
    return control_;
}

void FtdiPort::WriteControl(std::uint8_t value) {
    control_ = value;
}

} // namespace parllio

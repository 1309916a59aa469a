// The port library with an FTDI adapter as its port: how many USB transfers an
// 18-bit word takes (one per write would be 55, about 55 ms), how soon after a
// word's last byte its transfer starts, and what collecting one byte costs the
// library itself. The adapter here takes every transfer at once.
#include "ParallelPorts.h"
#include "PortBindings.h"
#include "qv4130/BoardVocabulary.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// No printer ports and no configuration file: the one adapter is port 1 at 888.
class NoPortsKernel final : public parllio::Kernel {
public:
    int Open(const std::string&) override { return -ENOENT; }
    void Close(int) override {}
    int Ioctl(int, unsigned long, void*) override { return -ENOTTY; }
    int Claim(int, std::chrono::milliseconds) override { return -ENXIO; }
    parllio::FileText ReadFile(const std::string&) override { return {{}, ENOENT}; }
    std::vector<std::string> ListDirectory(const std::string&, int& error) override {
        error = ENOENT;
        return {};
    }
    void Tell(const std::string&) override {}
};

class InstantAdapter final : public parllio::Ftdi {
public:
    int List(std::uint16_t, std::uint16_t, std::vector<parllio::FtdiDevice>& found) override {
        found = {{0x0403, 0x6014, 1, 2, "B", true}};
        return 1;
    }
    int Open(const parllio::FtdiDevice&) override { return 0; }
    int SetBitMode(int, std::uint8_t, std::uint8_t) override { return 0; }
    int SetBaudRate(int, int) override { return 0; }
    int Write(int, const std::uint8_t* bytes, int count) override {
        benchmark::DoNotOptimize(bytes);
        lastTransfer.store(Clock::now().time_since_epoch().count());
        transfers.fetch_add(1);
        return count;
    }
    void Close(int) override {}
    std::string ErrorText(int) override { return {}; }

    std::atomic<std::int64_t> transfers{0};
    std::atomic<Clock::rep> lastTransfer{0};
};

// The library with the one adapter as port 1 at 888, claimed.
struct AdapterPort {
    AdapterPort() { ports.Claim(1); }
    NoPortsKernel kernel;
    InstantAdapter adapter;
    parllio::PortBindings bindings{kernel, adapter, {}};
    parllio::ParallelPorts ports{kernel, bindings};
};

// An isolated word's 55 writes, as the program sends one: then nothing until the
// flush thread has seen the caller idle and sent it.
void BM_AdapterTransfersPerWord(benchmark::State& state) {
    AdapterPort port;
    InstantAdapter& adapter = port.adapter;
    double waitedNs = 0;
    for (auto _ : state) {
        const std::int64_t before = adapter.transfers.load();
        for (int write = 0; write < 3 * qv4130::SerialWordBits + 1; ++write) {
            port.ports.Out(888, qv4130::board_byte::ClockHighData0);
        }
        const Clock::time_point sent = Clock::now();
        while (adapter.transfers.load() == before) {
            std::this_thread::sleep_for(std::chrono::microseconds(10));
        }
        waitedNs += static_cast<double>(
            (Clock::time_point(Clock::duration(adapter.lastTransfer.load())) - sent).count());
    }
    port.ports.Release(1);
    const double words = static_cast<double>(state.iterations());
    state.counters["transfers_per_word"] = static_cast<double>(adapter.transfers.load()) / words;
    state.counters["idle_flush_ns"] = waitedNs / words;
}
BENCHMARK(BM_AdapterTransfersPerWord);

// One data-register write collected for the next transfer: the library's own
// work, beside the printer port's 1 µs per write. The flush thread runs as in
// the real library; a full buffer goes out within the timed loop.
void BM_AdapterBufferedWrite(benchmark::State& state) {
    AdapterPort port;
    std::int32_t value = 0;
    for (auto _ : state) {
        port.ports.Out(888, value);
        value = (value + 1) & 0xFF;
    }
}
BENCHMARK(BM_AdapterBufferedWrite);

} // namespace

BENCHMARK_MAIN();

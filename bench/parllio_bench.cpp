// What the ppdev library's own bookkeeping (finding the port behind an address,
// the control-register copy) adds to each port write, beside the physical floor
// of about 1 us per write. The kernel here does nothing, so only the library's
// work is timed; on a real port each write adds one ioctl on top.
#include "Kernel.h"
#include "ParallelPorts.h"

#include <benchmark/benchmark.h>

namespace {

constexpr double PhysicalFloorNsPerWrite = 1'000.0;

class NullKernel final : public parllio::Kernel {
public:
    int Open(const std::string&) override { return 3; }
    void Close(int) override {}
    int Ioctl(int, unsigned long, void* argument) override {
        benchmark::DoNotOptimize(argument);
        return 0;
    }
    int Claim(int, std::chrono::milliseconds) override { return 0; }
    parllio::FileText ReadFile(const std::string&) override { return {"888\t1912\n", 0}; }
    std::vector<std::string> ListDirectory(const std::string&, int& error) override {
        error = 0;
        return {"default", "parport0", "parport1", "parport2"}; // all at 888: the first wins
    }
    void Tell(const std::string&) override {}
};

void CountWrites(benchmark::State& state) {
    const double writes = static_cast<double>(state.iterations());
    state.counters["floor_fraction"] =
        benchmark::Counter(writes * PhysicalFloorNsPerWrite * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LibraryDataWrite(benchmark::State& state) {
    NullKernel kernel;
    parllio::ParallelPorts ports(kernel);
    ports.Claim(1);
    std::int32_t value = 0;
    for (auto _ : state) {
        ports.Out(888, value);
        value = (value + 1) & 0xFF;
    }
    CountWrites(state);
}
BENCHMARK(BM_LibraryDataWrite);

void BM_LibraryControlReadModifyWrite(benchmark::State& state) {
    NullKernel kernel;
    parllio::ParallelPorts ports(kernel);
    ports.Claim(1);
    for (auto _ : state) {
        ports.Out(890, ports.In(890) & 0xD4);
    }
    CountWrites(state);
}
BENCHMARK(BM_LibraryControlReadModifyWrite);

} // namespace

BENCHMARK_MAIN();

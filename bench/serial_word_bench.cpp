// What one 18-bit word (55 port writes) costs the program, beside the physical
// floor: about 1 us per write on a real printer port, 55 us per word.
#include "board/CommsFunctions.h"
#include "board/DynamicPortLibrary.h"
#include "board/Signals.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;

constexpr double PhysicalFloorNsPerWord = 55'000.0;
constexpr int WritesPerWord = 3 * SerialWordBits + 1;

// An in-process library that does nothing but keep the optimiser honest.
class NullPortLibrary final : public PortLibrary {
public:
    std::int32_t GetParallelPortCount() override { return 1; }
    std::int32_t ClaimParallelPort(std::int32_t, std::int32_t) override { return 1; }
    std::int32_t GetParallelPortInfo(std::int32_t, ParallelPortInfo*) override { return 1; }
    std::int32_t InByte(std::int32_t) override { return 0; }
    void OutByte(std::int32_t address, std::int32_t value) override {
        benchmark::DoNotOptimize(address);
        benchmark::DoNotOptimize(value);
    }
};

void SendWords(benchmark::State& state, PortLibrary& library) {
    std::int32_t word = 0;
    for (auto _ : state) {
        SendSerialWord(library, word, 888, SerialWordBits);
        word = (word + 0x1F07F) & 0x3FFFF;
    }
    // Rate counters inverted give elapsed time per unit: seconds per write, and the
    // word's time as a fraction of the physical floor.
    const double iterations = static_cast<double>(state.iterations());
    state.counters["time_per_write"] = benchmark::Counter(
        iterations * WritesPerWord, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["floor_fraction"] =
        benchmark::Counter(iterations * PhysicalFloorNsPerWord * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WordInProcessNullLibrary(benchmark::State& state) {
    NullPortLibrary library;
    SendWords(state, library);
}
BENCHMARK(BM_WordInProcessNullLibrary);

void BM_WordDynamicallyBoundNullLibrary(benchmark::State& state) {
    DynamicPortLibrary library(NULL_LIBRARY);
    library.GetParallelPortCount(); // load outside the timed loop
    SendWords(state, library);
}
BENCHMARK(BM_WordDynamicallyBoundNullLibrary);

} // namespace

BENCHMARK_MAIN();

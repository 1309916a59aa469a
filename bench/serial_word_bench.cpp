// What one 18-bit word (55 port writes) costs the program, beside the physical
// floor: about 1 us per write on a real printer port, 55 us per word.
#include "WordBench.h"
#include "board/DynamicPortLibrary.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;
using bench::SendWords;

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

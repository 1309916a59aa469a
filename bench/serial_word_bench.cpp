// What one 18-bit word (55 port writes) costs the program, beside the physical
// floor: about 1 us per write on a real printer port, 55 us per word.
#include "WordBench.h"
#include "board/DynamicPortLibrary.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;
using bench::NullPortLibrary;
using bench::SendWords;

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

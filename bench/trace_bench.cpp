// What recording a trace adds to an 18-bit word through the do-nothing library.
// The file is formatted in full and then thrown away, so the disk plays no part.
#include "WordBench.h"
#include "trace/TracedPortLibrary.h"

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

using namespace qv4130;

// Formatting a word's changes takes the trace's thread some ten times longer
// than the do-nothing library takes to write them, where a real port gives it
// forty times more than it needs. So the words go in bursts shorter than the
// trace thread's millisecond, and the clock stops while it catches up: the
// figure is what the program's own thread pays per word with a trace that keeps
// up, as it does with a real port.
constexpr int WordsPerBurst = 1'000;

void BM_WordInProcessNullLibraryTraced(benchmark::State& state) {
    bench::NullPortLibrary library;
    SharedState shared;
    shared.PortAddress = 888;
    const auto trace = StartTrace(library, shared, "/dev/null", {});
    std::int32_t word = 0;
    int burst = 0;
    for (auto _ : state) {
        SendSerialWord(*trace, word, shared.PortAddress, SerialWordBits);
        word = bench::NextWord(word);
        if (++burst == WordsPerBurst) {
            state.PauseTiming();
            trace->Flush();
            state.ResumeTiming();
            burst = 0;
        }
    }
    bench::CountWords(state);
}
BENCHMARK(BM_WordInProcessNullLibraryTraced);

// Both threads' time, the program's waiting for the trace's included: what the
// whole trace costs per word, formatting and writing the file included.
void BM_WordTraceBothThreads(benchmark::State& state) {
    bench::NullPortLibrary library;
    SharedState shared;
    shared.PortAddress = 888;
    const auto trace = StartTrace(library, shared, "/dev/null", {});
    bench::SendWords(state, *trace);
}
BENCHMARK(BM_WordTraceBothThreads)->MeasureProcessCPUTime();

} // namespace

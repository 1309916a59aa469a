// What the SCPI interpreter adds to a code command, beside the word the command
// sends: both over the in-process do-nothing library, so the difference is the
// interpreter's own work (reading the line, finding the command, checking it).
#include "NullPortLibrary.h"
#include "board/CommsFunctions.h"
#include "scpi/Interpreter.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;

SharedState PoweredBoardOnLpt1() {
    SharedState state;
    state.PortAddress = 888;
    state.DevicePowered = 1;
    return state;
}

void BM_ScpiCodeCommand(benchmark::State& state) {
    bench::NullPortLibrary library;
    SharedState shared = PoweredBoardOnLpt1();
    Board instrument(library, shared);
    scpi::Interpreter interpreter(instrument);
    std::vector<std::string> replies;
    for (auto _ : state) {
        benchmark::DoNotOptimize(interpreter.ExecuteLine("SOUR:CHAN5:CODE 2560", replies));
    }
}
BENCHMARK(BM_ScpiCodeCommand);

// The same word sent as the windows send it.
void BM_ScpiCodeWordAlone(benchmark::State& state) {
    bench::NullPortLibrary library;
    SharedState shared = PoweredBoardOnLpt1();
    for (auto _ : state) {
        shared.FrameMode = 0;
        shared.SelectedChannel = 5;
        shared.DataValue = 2560;
        SendChannelCommand(library, shared);
    }
}
BENCHMARK(BM_ScpiCodeWordAlone);

} // namespace

BENCHMARK_MAIN();

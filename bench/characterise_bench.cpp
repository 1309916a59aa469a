// What a characterisation run adds to the words it sends: a whole channel
// (4,096 codes) on the virtual board with its simulated meter spoken to in SCPI
// and no settle time, beside the same 4,096 words alone on the same board. The
// difference is the run's own work per code: the meter's query and reply, the
// error-queue check, the bookkeeping and the analysis.
#include "characterise/CharacterisationRun.h"
#include "characterise/InProcessTransport.h"
#include "characterise/InstrumentOutput.h"
#include "characterise/ScpiMeter.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/SimulatedDmm.h"
#include "virtualboard/VirtualBoard.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace qv4130;
using namespace qv4130::characterise;

constexpr int Channel = 5;
constexpr int CodesPerChannel = FullScaleCode + 1;

struct Bench {
    Bench() { instrument.SetOutput(true); }

    VirtualBoard board;
    SharedState state{.PortAddress = VirtualBoard::BaseAddress};
    scpi::Instrument instrument{board, state};
    InstrumentOutput output{instrument};
    AnalogModel model;
    SimulatedDmm dmm{board.Chip(), model};
};

void CountCodes(benchmark::State& state) {
    state.counters["time_per_code"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * CodesPerChannel,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CharacteriseWholeChannel(benchmark::State& state) {
    Bench bench;
    ScpiMeter meter(std::make_unique<InProcessTransport>(bench.dmm),
                    {.name = "simulated", .routeChannel = Channel});
    meter.Configure();
    const RunSettings settings{.channel = Channel, .from = 0, .to = FullScaleCode};
    for (auto _ : state) {
        const RunOutcome outcome = RunCharacterisation(bench.output, meter, settings);
        benchmark::DoNotOptimize(Analyse(outcome.points, {}));
    }
    CountCodes(state);
}
BENCHMARK(BM_CharacteriseWholeChannel)->Unit(benchmark::kMillisecond);

// The run's words alone, and the word it writes back at the end.
void BM_CharacteriseWordsAlone(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        for (int code = 0; code <= FullScaleCode; ++code) {
            bench.instrument.WriteCode(Channel, code);
        }
        bench.instrument.WriteCode(Channel, 0);
    }
    CountCodes(state);
}
BENCHMARK(BM_CharacteriseWordsAlone)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// What a characterisation run adds to the words it sends: a whole channel
// (4,096 codes) on the virtual board, run by the "Characterise…" window as an
// operator runs it (its simulated meter spoken to in SCPI, no settle time, the
// run stepped in turns on the GUI thread, the plots and figures redrawn as it
// goes), beside the same 4,096 words alone on the same board. The difference is
// the run's own work per code: the meter's query and reply, the error-queue
// check, the bookkeeping, the analysis and the plot updates.
#include "characterise/InstrumentOutput.h"
#include "characterise/MeterConnection.h"
#include "characterise/qt/CharacteriseWindow.h"
#include "virtualboard/VirtualBoard.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QSpinBox>
#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;
using namespace qv4130::characterise;

constexpr int Channel = 5;
constexpr int CodesPerChannel = FullScaleCode + 1;

struct Bench {
    Bench() { instrument.SetOutput(true); }

    VirtualBoard board;
    SharedState state{.PortAddress = VirtualBoard::BaseAddress};
    Board instrument{board, state};
    InstrumentOutput output{instrument};
    AnalogModel model{AnalogSettings{}};
};

void CountCodes(benchmark::State& state) {
    state.counters["time_per_code"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * CodesPerChannel,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CharacteriseWholeChannel(benchmark::State& state) {
    Bench bench;
    CharacteriseWindow window({.output = &bench.output,
                               .connectMeter = ConnectorFor(&bench.board, &bench.model),
                               .simulatedMeter = true});
    window.findChild<QSpinBox*>("channel")->setValue(Channel);
    window.show();
    auto* start = window.findChild<QPushButton*>("start");
    QEventLoop loop;
    QObject::connect(&window.Stepper(), &RunStepper::Ended, &loop, &QEventLoop::quit);
    for (auto _ : state) {
        start->click();
        loop.exec();
    }
    if (window.Result().codes.size() != CodesPerChannel) {
        state.SkipWithError("the run did not measure the whole channel");
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// What a characterisation run adds to the words it sends: a whole channel
// (4,096 codes) on the virtual board, run by the "Characterise…" window as an
// operator runs it (its simulated meter spoken to in SCPI, no settle time, the
// run stepped in turns on the GUI thread, the plots and figures redrawn as it
// goes), beside the same 4,096 words alone on the same board. The difference is
// the run's own work per code: the meter's query and reply, the error-queue
// check, the bookkeeping, the analysis and the plot updates.
#include "characterise/qt/CharacteriseWindow.h"
#include "rig/InstrumentOutput.h"
#include "rig/MeterConnection.h"
#include "scpi/qt/ScpiServer.h"
#include "virtualboard/VirtualBoard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>
#include <vector>

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

// A meter over a link that takes a second a reading, as a DMM integrating over
// many power-line cycles does.
class SecondPerReadingMeter final : public Meter {
public:
    double ReadVolts() override {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return 1.0;
    }
};

// A --listen client's round trip (SOUR:CHAN0:CODE?) while the window runs a
// characterisation against that meter: the median and the worst of the
// client's waits, which the meter's reading must not lengthen.
void BM_ListenLatencyWhileAMeterTakesASecond(benchmark::State& state) {
    Bench bench;
    scpi::Interpreter interpreter(bench.instrument);
    scpi::ScpiServer server(interpreter);
    if (!server.Listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("can't listen on the loopback address");
        return;
    }
    CharacteriseWindow window(
        {.output = &bench.output,
         .connectMeter = [](std::optional<std::string>,
                            int) { return std::make_unique<SecondPerReadingMeter>(); },
         .simulatedMeter = true});
    window.findChild<QLineEdit*>("meterAddress")->setText("dmm.lab");
    window.show();
    window.findChild<QPushButton*>("start")->click();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.Port());
    while (client.state() != QAbstractSocket::ConnectedState) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    std::vector<double> waits;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        client.write("SOUR:CHAN0:CODE?\n");
        while (!client.canReadLine()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
        client.readLine();
        waits.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        state.SetIterationTime(waits.back() / 1e3);
    }
    std::sort(waits.begin(), waits.end());
    state.counters["median_ms"] = waits[waits.size() / 2];
    state.counters["worst_ms"] = waits.back();
    window.findChild<QPushButton*>("stop")->click();
}
// Over two seconds of round trips, so that two readings fall within them.
BENCHMARK(BM_ListenLatencyWhileAMeterTakesASecond)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.5);

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

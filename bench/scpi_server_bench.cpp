// SCPI over loopback TCP on the virtual board: one client pipelines a batch of
// code commands and an *OPC? behind them, and waits for the 1. Client and server
// share this thread, so the time counts both sides' work.
#include "scpi/qt/ScpiServer.h"
#include "virtualboard/VirtualBoard.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using namespace qv4130;

constexpr int Batch = 1000;

template <typename Predicate> void RunEventsUntil(Predicate done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// The server on the virtual board, powered up, as a client finds it.
struct LoopbackServer {
    LoopbackServer() {
        shared.PortAddress = VirtualBoard::BaseAddress;
        shared.DevicePowered = 1;
    }
    VirtualBoard board;
    SharedState shared;
    Board instrument{board, shared};
    scpi::Interpreter interpreter{instrument};
    scpi::ScpiServer server{interpreter};
};

void BM_ScpiLoopbackPipelined(benchmark::State& state) {
    LoopbackServer served;
    scpi::ScpiServer& server = served.server;
    if (!server.Listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("can't listen on the loopback address");
        return;
    }
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.Port());
    RunEventsUntil([&] { return client.state() == QAbstractSocket::ConnectedState; });

    QByteArray batch;
    for (int i = 0; i < Batch; ++i) {
        batch += "SOUR:CHAN5:CODE " + QByteArray::number(i % 4096) + "\n";
    }
    batch += "*OPC?\n";
    for (auto _ : state) {
        client.write(batch);
        RunEventsUntil([&] { return client.canReadLine(); });
        benchmark::DoNotOptimize(client.readLine());
    }
    state.SetItemsProcessed(state.iterations() * Batch);
}
// Commands per second are a matter of the clock on the wall, not of CPU time.
BENCHMARK(BM_ScpiLoopbackPipelined)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same batch spread over N clients at once, each pipelining its share and an
// *OPC? behind it: what taking turns a command at a time costs next to one client.
void BM_ScpiLoopbackClients(benchmark::State& state) {
    LoopbackServer served;
    scpi::ScpiServer& server = served.server;
    if (!server.Listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("can't listen on the loopback address");
        return;
    }
    const int count = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, server.Port());
    }
    RunEventsUntil([&] {
        return std::ranges::all_of(clients, [](const auto& client) {
            return client->state() == QAbstractSocket::ConnectedState;
        });
    });
    QByteArray share;
    for (int i = 0; i < Batch / count; ++i) {
        share += "SOUR:CHAN5:CODE " + QByteArray::number(i % 4096) + "\n";
    }
    share += "*OPC?\n";
    for (auto _ : state) {
        for (const auto& client : clients) {
            client->write(share);
        }
        for (const auto& client : clients) {
            RunEventsUntil([&] { return client->canReadLine(); });
            benchmark::DoNotOptimize(client->readLine());
        }
    }
    state.SetItemsProcessed(state.iterations() * (Batch / count) * count);
}
BENCHMARK(BM_ScpiLoopbackClients)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

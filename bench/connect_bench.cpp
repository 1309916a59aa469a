// qv4130ctl --connect's cost per line: a code written through a running server
// (the line behind *OPC?, then SYST:ERR?, as ServerLink sends every line),
// beside a bare *OPC? round trip to the same server. The server is a
// `qv4130ctl --virtual-board serve` of its own on the loopback address.
#include "characterise/TcpTransport.h"
#include "ctl/ServerLink.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <regex>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace qv4130;
using std::chrono::milliseconds;

// The server process, for as long as the benchmarks run.
class ServedBoard {
public:
    ServedBoard() {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string program = QV4130CTL;
        std::string words[] = {"--virtual-board", "serve", "--listen", "127.0.0.1:0"};
        char* argv[] = {program.data(),  words[0].data(), words[1].data(),
                        words[2].data(), words[3].data(), nullptr};
        const bool spawned = posix_spawn(&pid_, QV4130CTL, &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c = 0;
        while (spawned && read(out[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        close(out[0]);
        std::smatch found;
        if (std::regex_search(line, found, std::regex(R"(127\.0\.0\.1:(\d+)$)"))) {
            port_ = static_cast<std::uint16_t>(std::stoi(found[1]));
        }
    }
    ~ServedBoard() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServedBoard(const ServedBoard&) = delete;
    ServedBoard& operator=(const ServedBoard&) = delete;

    std::optional<std::uint16_t> Port() const { return port_; }

private:
    pid_t pid_ = 0;
    std::optional<std::uint16_t> port_;
};

// A round trip is the wall clock's, not this process's CPU time: each figure is
// also given as the counter "wall_us", microseconds per line on the wall clock.
template <typename Line> void MeasureLines(benchmark::State& state, Line line) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!line()) {
            state.SkipWithError("the server refused the line");
            return;
        }
    }
    const std::chrono::duration<double, std::micro> wall = std::chrono::steady_clock::now() - start;
    state.counters["wall_us"] =
        benchmark::Counter(wall.count(), benchmark::Counter::kAvgIterations);
}

ServedBoard& Served() {
    static ServedBoard served;
    return served;
}

std::unique_ptr<characterise::TcpTransport> Connect(benchmark::State& state) {
    if (!Served().Port()) {
        state.SkipWithError("qv4130ctl serve did not start");
        return nullptr;
    }
    return std::make_unique<characterise::TcpTransport>("127.0.0.1", *Served().Port(),
                                                        milliseconds(5000));
}

void BM_ConnectCodeLine(benchmark::State& state) {
    auto transport = Connect(state);
    if (!transport) {
        return;
    }
    ctl::ServerLink link(std::move(transport), "bench");
    MeasureLines(state, [&link] {
        const ctl::LineOutcome outcome = link.Exchange("SOUR:CHAN5:CODE 2560");
        return !outcome.error && !outcome.failure;
    });
}
BENCHMARK(BM_ConnectCodeLine)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ConnectBareRoundTrip(benchmark::State& state) {
    auto transport = Connect(state);
    if (!transport) {
        return;
    }
    MeasureLines(state, [&transport] {
        transport->Send("*OPC?");
        return transport->Receive(milliseconds(5000)) == "1";
    });
}
BENCHMARK(BM_ConnectBareRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

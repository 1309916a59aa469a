// What one 18-bit word (55 port writes) costs when the virtual board stands in
// for the port library, beside the physical floor of about 1 us per write on a
// real printer port: 55 us per word. The program on the virtual board should be
// no slower to use than on the bench.
#include "board/CommsFunctions.h"
#include "board/Signals.h"
#include "virtualboard/VirtualBoard.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qv4130;

constexpr double PhysicalFloorNsPerWord = 55'000.0;
constexpr int WritesPerWord = 3 * SerialWordBits + 1;

// As cheap as the window's own observer: note that a redraw is due.
class FlagObserver final : public VirtualBoardObserver {
public:
    void BoardChanged() override {
        stale = true;
        benchmark::DoNotOptimize(stale);
    }
    bool stale = false;
};

void SendWords(benchmark::State& state, VirtualBoard& board) {
    board.OutByte(888, board_byte::PoweredUp);
    std::int32_t word = 0;
    for (auto _ : state) {
        SendSerialWord(board, word, 888, SerialWordBits);
        // Modes 0 to 3 over every channel, so increments, decrements and ignored
        // words all take their turn.
        word = (word + 0x1F07F) & 0x3FFFF;
    }
    benchmark::DoNotOptimize(board.Chip().Codes());
    const double iterations = static_cast<double>(state.iterations());
    state.counters["time_per_write"] = benchmark::Counter(
        iterations * WritesPerWord, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["floor_fraction"] =
        benchmark::Counter(iterations * PhysicalFloorNsPerWord * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WordThroughVirtualBoard(benchmark::State& state) {
    VirtualBoard board;
    SendWords(state, board);
}
BENCHMARK(BM_WordThroughVirtualBoard);

void BM_WordThroughWatchedVirtualBoard(benchmark::State& state) {
    VirtualBoard board;
    FlagObserver observer;
    board.AddObserver(observer);
    SendWords(state, board);
    board.RemoveObserver(observer);
}
BENCHMARK(BM_WordThroughWatchedVirtualBoard);

} // namespace

BENCHMARK_MAIN();

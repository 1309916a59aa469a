// What one 18-bit word (55 port writes) costs when the virtual board stands in
// for the port library, beside the physical floor of a real printer port: the
// program on the virtual board should be no slower to use than on the bench.
#include "WordBench.h"
#include "virtualboard/VirtualBoard.h"

namespace {

using namespace qv4130;

// As cheap as the window's own observer: note that a redraw is due.
class FlagObserver final : public VirtualBoardObserver {
public:
    void BoardChanged() override {
        stale = true;
        benchmark::DoNotOptimize(stale);
    }
    bool stale = false;
};

void BM_WordThroughVirtualBoard(benchmark::State& state) {
    VirtualBoard board;
    board.OutByte(888, board_byte::PoweredUp);
    bench::SendWords(state, board);
}
BENCHMARK(BM_WordThroughVirtualBoard);

void BM_WordThroughWatchedVirtualBoard(benchmark::State& state) {
    VirtualBoard board;
    board.OutByte(888, board_byte::PoweredUp);
    FlagObserver observer;
    board.AddObserver(observer);
    bench::SendWords(state, board);
    board.RemoveObserver(observer);
}
BENCHMARK(BM_WordThroughWatchedVirtualBoard);

} // namespace

BENCHMARK_MAIN();

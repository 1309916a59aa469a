#include "BoardSetup.h"

namespace qv4130 {

BoardSetup::BoardSetup(const BoardChoice& choice, const SharedState& state,
                       DynamicPortLibrary::FailureHandler onLibraryFailure, const Report& report) {
    if (choice.virtualBoard) {
        auto board = std::make_unique<VirtualBoard>();
        board_ = board.get();
        analog_ = std::make_unique<AnalogModel>(choice.analog);
        chosen_ = std::move(board);
    } else {
        chosen_ = std::make_unique<DynamicPortLibrary>(DefaultPortLibraryName,
                                                       std::move(onLibraryFailure), report);
    }
    if (choice.tracePath) {
        trace_ = StartTrace(*chosen_, state, *choice.tracePath, report);
    }
}

std::function<int(int channel)> BoardSetup::ChipCode() const {
    if (board_ == nullptr) {
        return {};
    }
    return [board = board_](int channel) { return int{board->Chip().Code(channel)}; };
}

} // namespace qv4130

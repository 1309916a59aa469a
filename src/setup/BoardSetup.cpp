#include "BoardSetup.h"

namespace qv4130 {

BoardSetup::BoardSetup(const BoardChoice& choice, const SharedState& state,
                       DynamicPortLibrary::FailureHandler onLibraryFailure, const Report& report)
    : state_(state) {
    if (choice.virtualBoard) {
        auto board = std::make_unique<VirtualBoard>();
        board_ = board.get();
        analog_ = std::make_unique<AnalogModel>(choice.analog);
        chosen_ = std::move(board);
    } else {
        chosen_ = std::make_unique<DynamicPortLibrary>(DefaultPortLibraryName,
                                                       std::move(onLibraryFailure), report);
        shadow_ = std::make_unique<ShadowedPortLibrary>(*chosen_);
    }
    if (choice.tracePath) {
        trace_ = StartTrace(Untraced(), state, *choice.tracePath, report);
    }
}

std::function<int(int channel)> BoardSetup::ChipCode() const {
    if (board_ == nullptr) {
        return [shadow = shadow_.get(), &state = state_](int channel) {
            return shadow->Code(state.PortAddress, channel);
        };
    }
    return [board = board_](int channel) { return int{board->Chip().Code(channel)}; };
}

} // namespace qv4130

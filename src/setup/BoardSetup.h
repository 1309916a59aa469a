#pragma once

#include "board/Board.h"
#include "board/DynamicPortLibrary.h"
#include "board/PortLibrary.h"
#include "board/SharedState.h"
#include "trace/TracedPortLibrary.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qv4130 {

// Where a run's words go, as the operator asked on the command line.
struct BoardChoice {
    bool virtualBoard = false;            // the simulated board instead of the port library
    std::optional<std::string> tracePath; // a trace of every data-register write, when given
    AnalogSettings analog;                // the virtual board's outputs in volts
};

// The one place both programs set up the board: the port library loaded by
// name or the virtual board standing exactly where it would, and in front of
// either the trace when one is asked for. The program's one board object acts
// through Library() with Options().
class BoardSetup {
public:
    // `onLibraryFailure` hears of a missing port library or function at its first
    // call, `report` of the library's own messages and of a trace file that
    // cannot be written (the run then goes on untraced). `state` must outlive this.
    BoardSetup(const BoardChoice& choice, const SharedState& state,
               DynamicPortLibrary::FailureHandler onLibraryFailure, const Report& report);

    BoardSetup(const BoardSetup&) = delete;
    BoardSetup& operator=(const BoardSetup&) = delete;

    PortLibrary& Library() { return trace_ ? *trace_ : *chosen_; }
    // The virtual board, when it was chosen; null on hardware.
    VirtualBoard* Board() { return board_; }
    // What the virtual board's outputs put out in volts, over its chip; null on
    // hardware, whose outputs only a real meter can see.
    AnalogModel* Analog() { return analog_.get(); }
    // The trace, when one is kept; null otherwise.
    TracedPortLibrary* Trace() { return trace_.get(); }
    // What the chip holds on a channel: the simulated chip's own; empty on
    // hardware, which cannot be read back (the board object then keeps what its
    // words made of the codes).
    std::function<int(int channel)> ChipCode() const;
    // The reference the outputs are scaled to: the virtual board's, or the
    // board's usual one on hardware, where it cannot be read.
    double ReferenceVolts() const { return analog_ ? analog_->Vref() : reference_volts::Default; }
    // The board object's options for this board: its read-back and its reference.
    BoardOptions Options() const { return {ChipCode(), {}, ReferenceVolts()}; }

private:
    std::unique_ptr<PortLibrary> chosen_;
    VirtualBoard* board_ = nullptr; // chosen_, when it is the virtual board
    std::unique_ptr<AnalogModel> analog_;
    std::unique_ptr<TracedPortLibrary> trace_;
};

} // namespace qv4130

#pragma once

#include "board/Board.h"
#include "characterise/qt/CharacteriseWindow.h"
#include "rig/InstrumentOutput.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

#include <memory>
#include <vector>

class QWidget;

namespace qv4130 {

// The program's one "Characterise…" window, made the first time it is asked
// for. Its codes go through the same board link as the SCPI clients', so the
// windows, the server and the run share one board and one state on one thread.
// The instrument (and the virtual board and its outputs, if any) must outlive this.
// The window's ideal starts at `boardReferenceVolts`, the board's reference as the
// board setup knows it.
class CharacteriseLauncher {
public:
    CharacteriseLauncher(Board& instrument, VirtualBoard* virtualBoard, AnalogModel* analog,
                         double boardReferenceVolts);
    ~CharacteriseLauncher();
    CharacteriseLauncher(const CharacteriseLauncher&) = delete;
    CharacteriseLauncher& operator=(const CharacteriseLauncher&) = delete;

    // Shows the window, clear of the `others` the first time (beside them where
    // the screen has room), and brings it to the front.
    void Open(const std::vector<const QWidget*>& others);
    // Ends a run still going: its channel is written its end code. Nothing is
    // written when none runs.
    void EndRun();

private:
    characterise::InstrumentOutput output_;
    VirtualBoard* virtualBoard_;
    AnalogModel* analog_;
    double boardReferenceVolts_;
    std::unique_ptr<characterise::CharacteriseWindow> window_;
};

} // namespace qv4130

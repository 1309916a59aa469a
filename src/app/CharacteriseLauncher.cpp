#include "CharacteriseLauncher.h"

#include "rig/MeterConnection.h"
#include "virtualboard/qt/PanelPlacement.h"

#include <QTimer>

namespace qv4130 {

namespace {
// As the panel waits before it places itself again.
constexpr int FramedPlacementDelayMs = 300;
} // namespace

CharacteriseLauncher::CharacteriseLauncher(Board& instrument, VirtualBoard* virtualBoard,
                                           AnalogModel* analog, double boardReferenceVolts)
    : output_(instrument), virtualBoard_(virtualBoard), analog_(analog),
      boardReferenceVolts_(boardReferenceVolts) {}

CharacteriseLauncher::~CharacteriseLauncher() = default;

void CharacteriseLauncher::Open(const std::vector<const QWidget*>& others) {
    if (!window_) {
        window_ = std::make_unique<characterise::CharacteriseWindow>(
            characterise::CharacteriseWindowSetup{
                .output = &output_,
                .connectMeter = characterise::ConnectorFor(virtualBoard_, analog_),
                .simulatedMeter = virtualBoard_ != nullptr,
                .boardReferenceVolts = boardReferenceVolts_});
        PlaceClearOf(*window_, others);
        // The window manager frames the windows only once they are mapped, so
        // the first placement reckons without title bars: place again after.
        QTimer::singleShot(FramedPlacementDelayMs, window_.get(),
                           [window = window_.get(), others] { PlaceClearOf(*window, others); });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void CharacteriseLauncher::EndRun() {
    if (window_) {
        window_->StopRun();
    }
}

} // namespace qv4130

#include "CharacteriseLauncher.h"

#include "characterise/MeterConnection.h"
#include "virtualboard/qt/PanelPlacement.h"

namespace qv4130 {

CharacteriseLauncher::CharacteriseLauncher(scpi::Instrument& instrument, VirtualBoard* virtualBoard,
                                           AnalogModel* analog)
    : output_(instrument), virtualBoard_(virtualBoard), analog_(analog) {}

CharacteriseLauncher::~CharacteriseLauncher() = default;

void CharacteriseLauncher::Open(const QWidget* anchor) {
    if (!window_) {
        window_ = std::make_unique<characterise::CharacteriseWindow>(
            characterise::CharacteriseWindowSetup{
                .output = &output_,
                .connectMeter = characterise::ConnectorFor(virtualBoard_, analog_),
                .simulatedMeter = virtualBoard_ != nullptr});
        if (anchor != nullptr) {
            PlaceBeside(*window_, *anchor);
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace qv4130

#include "Board.h"

#include "board/BoardActions.h"
#include "board/CommsFunctions.h"
#include "board/PortIo.h"

#include <algorithm>

namespace qv4130 {

namespace {
bool ValidChannel(std::int64_t channel) {
    return channel >= 0 && channel < ChannelCount;
}
} // namespace

Board::Board(PortLibrary& library, SharedState& state, BoardOptions options)
    : library_(library), state_(state), options_(std::move(options)),
      referenceVolts_(options_.referenceVolts) {
    codes_.fill(UnknownCode);
}

void Board::DriveDataLines() {
    if (drivenPort_ != state_.PortAddress) {
        MaskControlRegister(library_, state_.PortAddress, ControlDirectionMask);
        drivenPort_ = state_.PortAddress;
        linesKnown_ = false;
    }
}

void Board::PrepareForWords() {
    DriveDataLines();
    if (!linesKnown_) {
        // RESET, SYNC and SCLK high, PD and DIN low: what every word ends with.
        PortOut(library_, state_.PortAddress, board_byte::EndOfWord);
        linesKnown_ = true;
    }
}

ActionResult Board::SendWord(std::int64_t channel, std::int16_t mode, std::int64_t data,
                             std::int64_t highest) {
    if (!ValidChannel(channel) || data < 0 || data > highest) {
        return ActionResult::OutOfRange;
    }
    // The windows refuse to open while the chip is powered down; so do we.
    if (!Output()) {
        return ActionResult::PoweredDown;
    }
    PrepareForWords();
    state_.FrameMode = mode;
    state_.SelectedChannel = static_cast<std::int16_t>(channel);
    state_.DataValue = static_cast<std::int16_t>(data);
    SendChannelCommand(library_, state_);
    return ActionResult::Done;
}

ActionResult Board::WriteCode(std::int64_t channel, std::int64_t code) {
    const ActionResult result = SendWord(channel, word_mode::Write, code, FullScaleCode);
    if (result == ActionResult::Done) {
        codes_[static_cast<std::size_t>(channel)] = static_cast<int>(code);
    }
    return result;
}

ActionResult Board::Step(std::int64_t channel, std::int64_t lsbs) {
    const std::int64_t size = lsbs < 0 ? -lsbs : lsbs;
    const ActionResult result =
        SendWord(channel, lsbs < 0 ? word_mode::Decrement : word_mode::Increment, size, MaxStep);
    if (result == ActionResult::Done) {
        int& code = codes_[static_cast<std::size_t>(channel)];
        if (code != UnknownCode) {
            // The chip stops at either end of its range.
            code = std::clamp(code + static_cast<int>(lsbs), 0, int{FullScaleCode});
        }
    }
    return result;
}

void Board::SetOutput(bool poweredUp) {
    DriveDataLines();
    SetPower(library_, state_, poweredUp);
    linesKnown_ = true;
}

void Board::Reset() {
    DriveDataLines();
    PulseReset(library_, state_.PortAddress);
    codes_.fill(0);
}

void Board::Sweep() {
    PrepareForWords();
    RunTestSweep(library_, state_, options_.sweepPause);
    codes_.fill(SweepCode);
}

void Board::SelectPort(PortMenuItem item) {
    if (qv4130::SelectPort(state_, item)) {
        // Another port may carry another board: what we knew was about this one.
        codes_.fill(UnknownCode);
    }
}

bool Board::ChipReadsBack(int code) {
    return WriteCode(0, code) == ActionResult::Done && options_.chipCode(0) == code;
}

int Board::SelfTest() {
    int failures = 0;
    DriveDataLines();
    const auto control = static_cast<std::uint16_t>(state_.PortAddress + ControlRegisterOffset);
    if (state_.PortAddress == 0 || (PortIn(library_, control) & ControlDirectionBit) != 0) {
        failures |= PortFailed;
    }
    if (!options_.chipCode) {
        return failures;
    }
    if (!Output()) {
        return failures | ChipPoweredDown;
    }
    const int kept = options_.chipCode(0);
    // 1010 0101 1010 and its complement: every data bit at both levels.
    if (!ChipReadsBack(0xA5A) || !ChipReadsBack(0x5A5)) {
        failures |= ChipFailed;
    }
    WriteCode(0, std::max(kept, 0));
    return failures;
}

int Board::Code(int channel) const {
    if (options_.chipCode) {
        return options_.chipCode(channel);
    }
    return codes_[static_cast<std::size_t>(channel)];
}

} // namespace qv4130

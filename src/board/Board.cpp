#include "Board.h"

#include "BoardActions.h"
#include "BusyWait.h"
#include "CommsFunctions.h"
#include "PortIo.h"

#include <algorithm>

namespace qv4130 {

namespace {
bool ValidChannel(std::int64_t channel) {
    return channel >= 0 && channel < ChannelCount;
}
} // namespace

Board::Board(PortLibrary& library, SharedState& state, BoardOptions options)
    : library_(library), state_(state), options_(std::move(options)),
      referenceVolts_(options_.referenceVolts) {}

Board::Codes& Board::CodesHere() {
    if (here_ != nullptr && herePort_ == state_.PortAddress) {
        return *here_;
    }
    const auto [here, added] = codes_.try_emplace(state_.PortAddress);
    herePort_ = state_.PortAddress;
    here_ = &here->second;
    if (added) {
        here->second.fill(UnknownCode);
    }
    return here->second;
}

// ---- The windows' calls ----

void Board::TakePortAndPowerUp() {
    // With no port found (address 0) PortIo makes none of these calls.
    MaskControlRegister(library_, state_.PortAddress, ControlDirectionMask);
    drivenPort_ = state_.PortAddress;
    SetPower(true);
}

void Board::SetPower(bool poweredUp) {
    qv4130::SetPower(library_, state_, poweredUp);
    linesKnown_ = true;
}

void Board::PulseReset() {
    qv4130::PulseReset(library_, state_.PortAddress);
    CodesHere().fill(0);
}

void Board::RunTestSweep(const std::function<void()>& pause) {
    SweepWords(pause);
    state_.FrameMode = word_mode::Write;
    state_.SelectedChannel = ChannelCount - 1;
    state_.DataValue = SweepCode;
}

void Board::SelectPort(PortMenuItem item) {
    qv4130::SelectPort(state_, item);
}

void Board::SendChannelCommand() {
    SendWord(state_.FrameMode, state_.SelectedChannel, state_.DataValue);
}

// ---- The other clients' calls ----

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

ActionResult Board::SendClientWord(std::int64_t channel, std::int16_t mode, std::int64_t data,
                                   std::int64_t highest) {
    if (!ValidChannel(channel) || data < 0 || data > highest) {
        return ActionResult::OutOfRange;
    }
    // The windows refuse to open while the chip is powered down; so do we.
    if (!Output()) {
        return ActionResult::PoweredDown;
    }
    PrepareForWords();
    SendWord(mode, static_cast<std::int16_t>(channel), static_cast<std::int16_t>(data));
    return ActionResult::Done;
}

ActionResult Board::WriteCode(std::int64_t channel, std::int64_t code) {
    return SendClientWord(channel, word_mode::Write, code, FullScaleCode);
}

ActionResult Board::Step(std::int64_t channel, std::int64_t lsbs) {
    const std::int64_t size = lsbs < 0 ? -lsbs : lsbs;
    return SendClientWord(channel, lsbs < 0 ? word_mode::Decrement : word_mode::Increment, size,
                          MaxStep);
}

void Board::SetOutput(bool poweredUp) {
    DriveDataLines();
    SetPower(poweredUp);
}

void Board::Reset() {
    DriveDataLines();
    PulseReset();
}

void Board::Sweep() {
    PrepareForWords();
    SweepWords(options_.sweepPause);
}

// ---- Both ----

void Board::SendWord(std::int16_t mode, std::int16_t channel, std::int16_t data) {
    state_.SerialWord = ComposeSerialWord(mode, channel, data);
    SendSerialWord(library_, state_.SerialWord, state_.PortAddress, SerialWordBits);
    // Whatever the fields, a channel outside 0 to 15 names no code to keep.
    if (channel < 0 || channel >= ChannelCount) {
        return;
    }
    int& code = CodesHere()[static_cast<std::size_t>(channel)];
    if (mode == word_mode::Write || code != UnknownCode) {
        code = CodeAfterWord(code, mode, data);
    }
}

void Board::SweepWords(const std::function<void()>& pause) {
    for (std::int16_t channel = 0; channel < ChannelCount; ++channel) {
        SendWord(word_mode::Write, channel, SweepCode);
        if (pause) {
            pause();
        } else {
            CountDelay(SweepDelayPasses);
        }
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
    const auto here = codes_.find(state_.PortAddress);
    return here == codes_.end() ? UnknownCode : here->second[static_cast<std::size_t>(channel)];
}

} // namespace qv4130

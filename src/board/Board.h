#pragma once

#include "board/BoardVocabulary.h"
#include "board/PortLibrary.h"
#include "board/PrinterPorts.h"
#include "board/SharedState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace qv4130 {

// Why an action sent nothing.
enum class ActionResult { Done, OutOfRange, PoweredDown };

struct BoardOptions {
    // The chip's own code for a channel, when the board can be read back (the
    // virtual board). Without it a channel's code is what this process last sent.
    std::function<int(int channel)> chipCode;
    // The test sweep's pause after each word; empty: the windows' bare count.
    std::function<void()> sweepPause;
    // The reference the outputs are scaled to in volts, until SOURce:VREFerence
    // says otherwise: the virtual board's own, or the board's usual 2.500 V.
    double referenceVolts = reference_volts::Default;
};

// The board as a remote or scripted instrument: every action goes through the
// same board routines as the windows, on the shared run-time state, so a word is
// always the windows' word and the power flag is the windows' flag.
//
// A process that starts next to a board whose channels are set must not disturb
// it: nothing here takes RESET low or PD high unless asked to. Before the first
// write to a port, its control register is set so the data lines drive; before
// the first word, the lines are put in the idle state a word starts from, since
// the data register may hold anything and a word needs a falling SYNC.
class Board {
public:
    static constexpr int UnknownCode = -1;

    Board(PortLibrary& library, SharedState& state, BoardOptions options = {});

    // A mode-0 word: `code` 0 to 4095 to `channel` 0 to 15.
    ActionResult WriteCode(std::int64_t channel, std::int64_t code);
    // A step word: up by `lsbs` (mode 1) when positive or zero, down (mode 2) when negative.
    ActionResult Step(std::int64_t channel, std::int64_t lsbs);
    // The whole power byte, as the main window's power button writes it.
    void SetOutput(bool poweredUp);
    bool Output() const { return state_.DevicePowered != 0; }
    // The reset pulse: every channel to 0 on the chip, the other lines kept.
    void Reset();
    // The test sweep: SweepCode to channels 0 to 15 in turn, each word then the pause.
    void Sweep();
    // Moves to another port, as the port menu does: nothing is written now.
    void SelectPort(PortMenuItem item);
    std::uint16_t PortAddress() const { return state_.PortAddress; }

    // The channel's code as this process knows it: the chip's own on a board that
    // can be read, otherwise the last one sent (after steps, 0 after a reset),
    // UnknownCode when nothing was sent to it since the process started.
    int Code(int channel) const;

    // The board's reference voltage: a code puts code/4096 of it on its channel.
    double ReferenceVolts() const { return referenceVolts_; }
    void SetReferenceVolts(double volts) { referenceVolts_ = volts; }

    // What *TST? answers: 0 when everything that can be checked passed. The port
    // must be there and hold its data lines as outputs (the control register
    // read back); on a board that can be read back, two codes that between them
    // flip every data bit are written to channel 0 and read from the chip, and
    // the channel's code is put back.
    enum SelfTestFailure { PortFailed = 1, ChipFailed = 2, ChipPoweredDown = 4 };
    int SelfTest();

private:
    void DriveDataLines();
    bool ChipReadsBack(int code);
    void PrepareForWords();
    ActionResult SendWord(std::int64_t channel, std::int16_t mode, std::int64_t data,
                          std::int64_t highest);

    PortLibrary& library_;
    SharedState& state_;
    BoardOptions options_;
    std::array<int, ChannelCount> codes_;
    // The port whose data lines this process has made outputs, if any.
    std::optional<std::uint16_t> drivenPort_;
    // True once this process has written a whole idle-state byte (or a word) there.
    bool linesKnown_ = false;
    double referenceVolts_;
};

} // namespace qv4130

#pragma once

#include "board/BoardActions.h"
#include "board/PortLibrary.h"
#include "board/PrinterPorts.h"
#include "board/SharedState.h"
#include "qv4130/BoardVocabulary.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
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

// The one object every client acts on the board through: the windows, the SCPI
// interpreter (and so the servers and qv4130ctl) and the characterisation. It
// keeps what this process knows of the chip's codes, whoever sent the word, so
// a code written from Mode 1 is the code a remote client reads back.
//
// Two kinds of call. The windows' calls write exactly the bytes the operator's
// buttons always wrote, from the shared variables the windows keep (FrameMode,
// SelectedChannel, DataValue). Every other client names the word's fields, and
// never writes those variables: a remote write must not change what an open
// Mode window sends next.
//
// A process that starts next to a board whose channels are set must not disturb
// it: nothing in the clients' calls takes RESET low or PD high unless asked to.
// Before their first write to a port, its control register is set so the data
// lines drive; before the first word, the lines are put in the idle state a word
// starts from, since the data register may hold anything and a word needs a
// falling SYNC.
class Board {
public:
    static constexpr int UnknownCode = -1;

    Board(PortLibrary& library, SharedState& state, BoardOptions options = {});
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // ---- The windows' calls: the bytes their buttons write, nothing more. ----

    // The main window's load: data lines made outputs, then the chip powered up.
    void TakePortAndPowerUp();
    // The power button: the whole byte for the state, clock, data and SYNC idle too.
    void SetPower(bool poweredUp);
    // The reset button: RESET low for one write and high again, the other lines as read.
    void PulseReset();
    // The test sweep button: SweepCode to channels 0 to 15 in turn, each word then
    // `pause` (empty: the bare count). Leaves FrameMode 0, SelectedChannel 15 and
    // DataValue SweepCode behind, as the mode windows expect.
    void RunTestSweep(const std::function<void()>& pause);
    // The port menu: the next byte goes to the new address; nothing is written now.
    void SelectPort(PortMenuItem item);
    // A mode window's Update Channel: the word from FrameMode, SelectedChannel and
    // DataValue, stored in SerialWord and sent.
    void SendChannelCommand();

    // ---- The other clients' calls: the word's fields as parameters. ----

    // A mode-0 word: `code` 0 to 4095 to `channel` 0 to 15.
    ActionResult WriteCode(std::int64_t channel, std::int64_t code);
    // A step word: up by `lsbs` (mode 1) when positive or zero, down (mode 2) when negative.
    ActionResult Step(std::int64_t channel, std::int64_t lsbs);
    // The whole power byte, as the main window's power button writes it.
    void SetOutput(bool poweredUp);
    bool Output() const { return state_.DevicePowered != 0; }
    // The reset pulse: every channel to 0 on the chip, the other lines kept.
    void Reset();
    // The test sweep with the options' pause; the windows' variables are left alone.
    void Sweep();
    std::uint16_t PortAddress() const { return state_.PortAddress; }
    // The variables the windows keep and read (the mode windows write the word's
    // fields there before Update Channel).
    SharedState& Shared() { return state_; }

    // The channel's code as this process knows it: the chip's own on a board that
    // can be read, otherwise what the words any client sent to this port made of
    // it (a step reckoned with the chip's own arithmetic; 0 after a reset),
    // UnknownCode when no word since the process started wrote it.
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
    ActionResult SendClientWord(std::int64_t channel, std::int16_t mode, std::int64_t data,
                                std::int64_t highest);
    void SendWord(std::int16_t mode, std::int16_t channel, std::int16_t data);
    void SweepWords(const std::function<void()>& pause);

    PortLibrary& library_;
    SharedState& state_;
    BoardOptions options_;
    using Codes = std::array<int, ChannelCount>;
    // The codes sent to each port's board, for a port chosen again from the menu.
    Codes& CodesHere();
    std::map<std::uint16_t, Codes> codes_;
    // The port's entry CodesHere() found last: a word need not search the map.
    // (A map's entries stay where they are as others are added.)
    std::uint16_t herePort_ = 0;
    Codes* here_ = nullptr;
    // The port whose data lines this process has made outputs, if any.
    std::optional<std::uint16_t> drivenPort_;
    // True once this process has written a whole idle-state byte (or a word) there.
    bool linesKnown_ = false;
    double referenceVolts_;
};

} // namespace qv4130

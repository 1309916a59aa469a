#pragma once

#include "ReceivedWord.h"
#include "qv4130/BoardVocabulary.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qv4130 {

// A QV4130 as seen from its five input pins, which the board wires to the printer
// port's data register (board/BoardVocabulary.h). Feed it every byte the data register
// takes, in order; it needs nothing else, so any byte stream can drive it.
//
// RESET low clears all channel codes and drops a frame in progress. A falling SYNC
// starts a frame, each rising SCLK while SYNC is low shifts in DIN as it stands in
// that same byte, and a rising SYNC ends the frame. Exactly 18 bits make a word:
// mode 0 writes the code, 1 adds the step, 2 subtracts it (both saturating at
// 0 and 4095), 3 is ignored. PD high holds every output at 0; the codes are kept.
class Qv4130Chip {
public:
    // Samples kept of one frame for the timing view: a word takes WordLineSamples,
    // and a runaway frame must not grow without bound.
    static constexpr std::size_t MaxLineSamples = 512;

    // The pins start at `initialLines`; a port that has not been written yet reads 0,
    // which holds the chip in reset.
    explicit Qv4130Chip(std::uint8_t initialLines = 0);

    // Takes one data-register byte (bits 5 to 7 are not wired). Returns true when
    // anything the chip shows changed: a pin level, a code, a count or the last word.
    bool ApplyLines(std::uint8_t dataRegister);

    std::uint8_t Lines() const { return lines_; }
    bool HeldInReset() const { return (lines_ & line::Reset) == 0; }
    bool PoweredDown() const { return (lines_ & line::PowerDown) != 0; }
    bool FrameInProgress() const { return inFrame_; }

    // The code latched for `channel` (0 to 15).
    std::uint16_t Code(int channel) const;
    // What the channel's output stands at: its code, or 0 while powered down.
    std::uint16_t Output(int channel) const;
    const std::array<std::uint16_t, ChannelCount>& Codes() const { return codes_; }

    std::uint64_t WordsApplied() const { return wordsApplied_; }
    std::uint64_t WordsIgnored() const { return wordsIgnored_; }
    std::uint64_t MalformedWords() const { return malformedWords_; }
    // The last frame that ended with a rising SYNC, if any has.
    const std::optional<ReceivedWord>& LastWord() const { return lastWord_; }

private:
    void StartFrame(std::uint8_t levelsBefore);
    void RecordSample(std::uint8_t levels);
    void EndFrame();
    void Execute(const ReceivedWord& word);

    std::uint8_t lines_;
    std::array<std::uint16_t, ChannelCount> codes_{};
    // The frame being received; its buffers and the last word's trade places at
    // the end of each frame, so a steady stream of words allocates nothing.
    ReceivedWord frame_;
    bool inFrame_ = false;
    std::optional<ReceivedWord> lastWord_;
    std::uint64_t wordsApplied_ = 0;
    std::uint64_t wordsIgnored_ = 0;
    std::uint64_t malformedWords_ = 0;
};

// Feeds a whole byte stream to the chip, as a fuzz target or a replay would.
// Returns true when any byte changed what the chip shows.
bool FeedLines(Qv4130Chip& chip, std::span<const std::uint8_t> dataRegisterBytes);

} // namespace qv4130

#pragma once

#include "qv4130/BoardVocabulary.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv4130 {

// Whether `line` (one of the line:: bits) is high in a data-register byte.
constexpr bool LineHigh(std::uint8_t levels, std::uint8_t line) {
    return (levels & line) != 0;
}

// Data-register bytes one word takes, as the program sends it: the byte before
// SYNC falls, three writes per bit and the one that raises SYNC again.
inline constexpr std::size_t WordLineSamples = 3 * SerialWordBits + 2;

// What the chip made of a frame: an 18-bit word is applied unless its mode is 3,
// which the chip ignores; a frame of any other length is malformed and dropped.
enum class WordOutcome { Applied, Ignored, Malformed };

// One frame as the chip saw it, from the falling SYNC to the rising SYNC.
struct ReceivedWord {
    // The data-register byte before SYNC fell, then the byte after each write up
    // to and including the one that raised SYNC: one sample per port write.
    std::vector<std::uint8_t> lineLevels;
    // True when the frame ran past the samples kept and lineLevels holds only its start.
    bool levelsTruncated = false;
    // Which of those samples gave the chip a bit: each write that raised the clock
    // while SYNC was already low.
    std::vector<std::uint16_t> bitSamples;
    // How many rising clock edges the frame held.
    std::uint64_t bitCount = 0;
    // The last bits shifted in, the most recent in bit 0.
    std::uint64_t bits = 0;
    WordOutcome outcome = WordOutcome::Malformed;

    // The fields of an 18-bit word.
    int Mode() const {
        return static_cast<int>(bits >> word_field::ModeShift) & word_field::ModeMask;
    }
    int Channel() const {
        return static_cast<int>(bits >> word_field::ChannelShift) & word_field::ChannelMask;
    }
    int Data() const { return static_cast<int>(bits) & word_field::DataMask; }
};

} // namespace qv4130

#include "CommsFunctions.h"

#include "PortIo.h"
#include "qv4130/BoardVocabulary.h"

#include <limits>
#include <stdexcept>

namespace qv4130 {

std::int32_t ComposeSerialWord(std::int16_t frameMode, std::int16_t channel, std::int16_t data) {
    // No field is masked: each producer keeps its own in range. Widened first so
    // that a value no 32-bit word can hold is caught rather than wrapped.
    const std::int64_t word =
        std::int64_t{channel} * (std::int64_t{1} << word_field::ChannelShift) +
        std::int64_t{frameMode} * (std::int64_t{1} << word_field::ModeShift) + data;
    if (word > std::numeric_limits<std::int32_t>::max() ||
        word < std::numeric_limits<std::int32_t>::min()) {
        throw std::overflow_error("serial word does not fit 32 bits");
    }
    return static_cast<std::int32_t>(word);
}

void SendSerialWord(PortLibrary& library, std::int32_t value, std::uint16_t port,
                    std::int16_t bitCount) {
    // The mask for bit 31 does not fit a signed 32-bit word.
    if (bitCount > 31) {
        throw std::invalid_argument("SendSerialWord: at most 31 bits can be sent");
    }
    for (int k = bitCount - 1; k >= 0; --k) {
        // SYNC low with the clock still high starts (or continues) the frame; the data
        // level is set in the write that takes the clock low and held while it rises.
        PortOut(library, port, board_byte::ClockHighData0);
        const bool one = (value & (std::int32_t{1} << k)) > 0;
        PortOut(library, port, one ? board_byte::ClockLowData1 : board_byte::ClockLowData0);
        PortOut(library, port, one ? board_byte::ClockHighData1 : board_byte::ClockHighData0);
    }
    PortOut(library, port, board_byte::EndOfWord);
}

void SendChannelCommand(PortLibrary& library, SharedState& state) {
    state.SerialWord = ComposeSerialWord(state.FrameMode, state.SelectedChannel, state.DataValue);
    SendSerialWord(library, state.SerialWord, state.PortAddress, SerialWordBits);
}

} // namespace qv4130

#include "ShadowedPortLibrary.h"

namespace qv4130 {

void ShadowedPortLibrary::OutByte(std::int32_t address, std::int32_t value) {
    inner_.OutByte(address, value);
    // Each address written gets a model from its first byte on; only a data
    // register's is ever asked (a control register's takes harmless bytes).
    Shadow& shadow = shadows_[static_cast<std::uint16_t>(address)];
    shadow.chip.ApplyLines(static_cast<std::uint8_t>(value));
    if (shadow.chip.HeldInReset()) {
        shadow.known.set(); // every code cleared to 0
    }
    if (shadow.chip.WordsApplied() != shadow.wordsSeen) {
        shadow.wordsSeen = shadow.chip.WordsApplied();
        const ReceivedWord& word = *shadow.chip.LastWord();
        if (word.Mode() == word_mode::Write) {
            shadow.known.set(static_cast<std::size_t>(word.Channel()));
        }
    }
}

int ShadowedPortLibrary::Code(std::uint16_t address, int channel) const {
    const auto shadow = shadows_.find(address);
    if (shadow == shadows_.end() || !shadow->second.known.test(static_cast<std::size_t>(channel))) {
        return UnknownCode;
    }
    return shadow->second.chip.Code(channel);
}

} // namespace qv4130

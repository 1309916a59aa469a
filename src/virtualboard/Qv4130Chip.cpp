#include "Qv4130Chip.h"

#include <algorithm>

namespace qv4130 {

Qv4130Chip::Qv4130Chip(std::uint8_t initialLines) : lines_(initialLines & line::Wired) {}

bool Qv4130Chip::ApplyLines(std::uint8_t dataRegister) {
    const std::uint8_t previous = lines_;
    const std::uint8_t next = dataRegister & line::Wired;
    lines_ = next;
    const bool linesChanged = next != previous;

    if (!LineHigh(next, line::Reset)) {
        // Reset is a level: while it is held low nothing else the pins do counts.
        const bool anyCode =
            std::any_of(codes_.begin(), codes_.end(), [](auto code) { return code != 0; });
        const bool dropsFrame = inFrame_;
        codes_.fill(0);
        inFrame_ = false;
        return linesChanged || anyCode || dropsFrame;
    }

    const bool syncFell = LineHigh(previous, line::Sync) && !LineHigh(next, line::Sync);
    if (syncFell) {
        // A clock edge in the same write as the falling SYNC is not a bit: the
        // frame has not been set up yet. This is what lets a word follow the idle
        // byte 0x14, whose clock is low, without gaining a nineteenth bit.
        StartFrame(previous);
        RecordSample(next);
        return true;
    }
    if (!inFrame_) {
        return linesChanged;
    }

    RecordSample(next);
    if (LineHigh(next, line::Sync)) {
        EndFrame();
        return true;
    }
    const bool clockRose = !LineHigh(previous, line::Sclk) && LineHigh(next, line::Sclk);
    if (clockRose) {
        if (!frame_.levelsTruncated) {
            frame_.bitSamples.push_back(static_cast<std::uint16_t>(frame_.lineLevels.size() - 1));
        }
        frame_.bits = (frame_.bits << 1) | (LineHigh(next, line::Din) ? 1U : 0U);
        ++frame_.bitCount;
    }
    return linesChanged;
}

std::uint16_t Qv4130Chip::Code(int channel) const {
    return codes_.at(static_cast<std::size_t>(channel));
}

std::uint16_t Qv4130Chip::Output(int channel) const {
    return PoweredDown() ? 0 : Code(channel);
}

void Qv4130Chip::StartFrame(std::uint8_t levelsBefore) {
    inFrame_ = true;
    frame_.lineLevels.clear();
    frame_.levelsTruncated = false;
    frame_.bitSamples.clear();
    frame_.bitCount = 0;
    frame_.bits = 0;
    frame_.lineLevels.reserve(WordLineSamples);
    frame_.bitSamples.reserve(SerialWordBits);
    frame_.lineLevels.push_back(levelsBefore);
}

void Qv4130Chip::RecordSample(std::uint8_t levels) {
    if (frame_.lineLevels.size() < MaxLineSamples) {
        frame_.lineLevels.push_back(levels);
    } else {
        frame_.levelsTruncated = true;
    }
}

void Qv4130Chip::EndFrame() {
    inFrame_ = false;
    ReceivedWord& word = frame_;
    if (word.bitCount != static_cast<std::uint64_t>(SerialWordBits)) {
        word.outcome = WordOutcome::Malformed;
        ++malformedWords_;
    } else if (word.Mode() > word_mode::Decrement) {
        word.outcome = WordOutcome::Ignored;
        ++wordsIgnored_;
    } else {
        word.outcome = WordOutcome::Applied;
        ++wordsApplied_;
        Execute(word);
    }
    if (lastWord_) {
        std::swap(*lastWord_, frame_);
    } else {
        lastWord_.emplace(std::move(frame_));
    }
}

void Qv4130Chip::Execute(const ReceivedWord& word) {
    auto& code = codes_.at(static_cast<std::size_t>(word.Channel()));
    code = static_cast<std::uint16_t>(CodeAfterWord(code, word.Mode(), word.Data()));
}

bool FeedLines(Qv4130Chip& chip, std::span<const std::uint8_t> dataRegisterBytes) {
    bool changed = false;
    for (const std::uint8_t byte : dataRegisterBytes) {
        changed = chip.ApplyLines(byte) || changed;
    }
    return changed;
}

} // namespace qv4130

#pragma once

#include "CharacterisationRun.h"
#include "Linearity.h"

#include <optional>
#include <string>

namespace qv4130::characterise {

// What a run's figures are worth, decided once for the printout, the CSV and the
// window: whether they cover the whole range the operator asked for, and whether
// the readings followed the codes at all. A meter left on another channel, on
// its open input or across the wrong pins reads something at every code, and
// the arithmetic makes figures of anything; they must not pass for a channel's.
struct RunStanding {
    // How far a run that did not finish got: "stopped after code 1233 of 0..4095
    // (1234 of 4096 codes)". None for a whole run.
    std::optional<std::string> partial;
    // What to check when the readings do not follow the codes; none when they do.
    std::optional<std::string> suspect;
};

RunStanding JudgeRun(const RunOutcome& outcome, const RunSettings& settings,
                     const Linearity& result);

// Why the figures cannot be the channel's, as what to check: the readings' rise
// far from the codes' (a gain error beyond MaxGainErrorPercent either way, give
// or take an LSB or two at the ends), lost in their own scatter, or not numbers
// at all. None when they follow the codes, or when there are too few codes to tell.
std::optional<std::string> ReadingsDoNotFollow(const Linearity& result, int channel);

// A channel this far off its ideal slope is not being measured: a real QV4130 is
// within a few LSB, a reference the operator got wrong by a factor of two still passes.
inline constexpr double MaxGainErrorPercent = 50.0;

} // namespace qv4130::characterise

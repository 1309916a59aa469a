#include "RunStanding.h"

#include <cmath>

namespace qv4130::characterise {

namespace {

// How many times the best-fit line's rise over the range must stand above the
// readings' scatter about it. Flat readings with noise give a rise of about
// the scatter itself; a channel, even over ten codes on a noisy meter, many times it.
constexpr double RiseOverScatter = 3.0;

// Over a few codes the end-point line is one or two steps, and one step of a
// poor but working channel may be half an LSB off: its two ends are allowed
// this much beside the gain bound, so a short run is not called a wrong meter.
constexpr double EndSlackLsb = 2.0;

// Whether the end-point line rises far more or far less over the range than the
// ideal does (readings of another channel, of none, through a divider, reversed).
bool FarOffItsRise(const Linearity& result) {
    const Summary& s = *result.summary;
    const double codes = result.codes.back().code - result.codes.front().code;
    const double riseLsb = s.endPoint.voltsPerCode * codes / result.ideal.LsbVolts();
    return std::abs(riseLsb - codes) > MaxGainErrorPercent / 100.0 * codes + EndSlackLsb;
}

bool LostInScatter(const Linearity& result) {
    const Summary& s = *result.summary;
    double squares = 0.0;
    for (const CodeResult& c : result.codes) {
        const double residual = c.volts - s.bestFit.At(c.code);
        squares += residual * residual;
    }
    const double scatter = std::sqrt(squares / static_cast<double>(result.codes.size()));
    const double rise =
        std::abs(s.bestFit.voltsPerCode) * (result.codes.back().code - result.codes.front().code);
    // Readings the same to the last digit have no scatter and no rise: flat too.
    return rise <= RiseOverScatter * scatter;
}

std::string Partial(const RunOutcome& outcome, const RunSettings& settings) {
    const std::string range = std::to_string(settings.from) + ".." + std::to_string(settings.to);
    if (outcome.points.empty()) {
        return "stopped before the first code of " + range;
    }
    return "stopped after code " + std::to_string(outcome.points.back().code) + " of " + range +
           " (" + std::to_string(outcome.points.size()) + " of " +
           std::to_string(RunCodes(settings).size()) + " codes)";
}

} // namespace

std::optional<std::string> ReadingsDoNotFollow(const Linearity& result, int channel) {
    if (!result.summary) {
        return std::nullopt;
    }
    const Summary& s = *result.summary;
    const bool numbers = std::isfinite(s.offsetLsb) && std::isfinite(s.gainErrorPercent) &&
                         std::isfinite(s.bestFit.voltsPerCode);
    if (numbers && !FarOffItsRise(result) && !LostInScatter(result)) {
        return std::nullopt;
    }
    return "the readings do not follow the codes: is the meter on channel " +
           std::to_string(channel) + "'s output?";
}

RunStanding JudgeRun(const RunOutcome& outcome, const RunSettings& settings,
                     const Linearity& result) {
    RunStanding standing;
    if (!outcome.complete) {
        standing.partial = Partial(outcome, settings);
    }
    standing.suspect = ReadingsDoNotFollow(result, settings.channel);
    return standing;
}

} // namespace qv4130::characterise

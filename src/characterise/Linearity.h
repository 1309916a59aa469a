#pragma once

#include "qv4130/BoardVocabulary.h"

#include <optional>
#include <span>
#include <vector>

namespace qv4130::characterise {

// What a perfect channel puts out: V = code / codeSpan x vref. The board's
// reference is 2.500 V and the chip has 4096 codes, but an operator with another
// reference (or a divider on the output) edits them.
struct IdealTransfer {
    double vref = reference_volts::Default;
    int codeSpan = CodeSteps;

    double LsbVolts() const { return vref / codeSpan; }
    double Volts(int code) const { return code * LsbVolts(); }
};

// Whether a reference (the operator's, or one a server reports) is one the chip
// can be run on. Anything else, NaN and infinity included, would only turn every
// figure into nonsense.
inline bool ReferenceInRange(double volts) {
    return volts >= reference_volts::Min && volts <= reference_volts::Max;
}

// The ideal a run is reckoned against, decided here and nowhere else: the board's
// own reference, unless the operator names another (a reference fitted in place of
// the board's, or what is left of it behind a divider on the output).
inline IdealTransfer IdealFor(double boardReferenceVolts,
                              std::optional<double> operatorVolts = std::nullopt) {
    return {.vref = operatorVolts.value_or(boardReferenceVolts)};
}

// One measurement: the code written and the volts the meter read for it.
struct Point {
    int code = 0;
    double volts = 0.0;
};

// A straight line through the transfer, volts = intercept + slope x code.
struct Line {
    double interceptVolts = 0.0;
    double voltsPerCode = 0.0;

    double At(int code) const { return interceptVolts + voltsPerCode * code; }
};

// What one measured code says, all in LSB of the ideal transfer except the two
// INL figures, which are in LSB of their own line (its slope is the channel's
// real step size, so a gain error does not leak into them).
struct CodeResult {
    int code = 0;
    double volts = 0.0;
    double errorLsb = 0.0;       // against the ideal transfer
    double inlEndPointLsb = 0.0; // against the line through the first and last points
    double inlBestFitLsb = 0.0;  // against the least-squares line
    // The step from the previous measured code, less one LSB, per code crossed:
    // with a code step above 1 it is the mean DNL over the gap. None for the first.
    std::optional<double> dnlLsb;
};

// A figure and the code where it is worst (largest in size).
struct Worst {
    double lsb = 0.0;
    int code = 0;
};

// The channel in a few figures. Offset and gain come from the end-point line:
// the offset is where it crosses code 0, the gain error how far its end at full
// scale stands from the ideal one once the offset is taken away.
struct Summary {
    Line endPoint;
    Line bestFit;
    double offsetLsb = 0.0;
    double gainErrorLsb = 0.0;     // at the full-scale code (codeSpan - 1)
    double gainErrorPercent = 0.0; // of the ideal slope
    Worst inlEndPoint;
    Worst inlBestFit;
    Worst dnl;
    Worst error;
    // True when no measured step goes down. A missing code (a step of 0 V) is
    // still monotonic; a step below zero is not.
    bool monotonic = true;
    std::optional<int> firstNonMonotonicCode;
};

struct Linearity {
    // What the codes were reckoned against; whatever draws or writes them takes it
    // from here, so a plot and its CSV can never disagree on the reference.
    IdealTransfer ideal;
    std::vector<CodeResult> codes;
    // None until there are two distinct codes to draw a line through.
    std::optional<Summary> summary;
};

// The figures of one channel from what was measured, in any order; a run that
// stopped early gives what it has, and the lines are then through the codes
// measured so far.
Linearity Analyse(std::span<const Point> points, const IdealTransfer& ideal);

} // namespace qv4130::characterise

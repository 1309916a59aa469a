#include "NiceScale.h"

#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <cmath>

namespace qv4130::characterise {

namespace {

// The smallest of 1, 2, 2.5, 5 x 10^n not below `rough`.
double NiceStep(double rough) {
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double mantissa : {1.0, 2.0, 2.5, 5.0}) {
        if (mantissa * decade >= rough * (1 - 1e-9)) {
            return mantissa * decade;
        }
    }
    return 10 * decade;
}

// The step at or below `value`, and at or above it, forgiving the last bit of
// a division that should have come out whole (0.3 / 0.05 is 5.999...).
double StepBelow(double value, double step) {
    return std::floor(value / step + 1e-9) * step;
}
double StepAbove(double value, double step) {
    return std::ceil(value / step - 1e-9) * step;
}

} // namespace

NiceScale NiceValueScale(double low, double high, int ticks) {
    if (!std::isfinite(low) || !std::isfinite(high) || high < low) {
        return {};
    }
    const double span = high - low;
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    // A flat line still gets an axis: one unit of its own size around it (or
    // one around zero).
    if (span <= magnitude * 1e-9) {
        const double step = magnitude > 0 ? NiceStep(magnitude / 10) : 1.0;
        return {StepBelow(low, step) - step, StepAbove(high, step) + step, step};
    }
    const double step = NiceStep(span / std::max(ticks, 1));
    // Some room, so a line never runs along the frame.
    const double roomy = span * 0.02;
    return {StepBelow(low - roomy, step), StepAbove(high + roomy, step), step};
}

NiceScale NiceCodeScale(int first, int last, int ticks) {
    first = std::clamp(first, 0, int{FullScaleCode});
    last = std::clamp(std::max(last, first + 1), 1, CodeSteps);
    int step = 1;
    while ((last - first) / step > std::max(ticks, 1)) {
        step *= 2;
    }
    const int low = first / step * step;
    const int high = std::min((last + step - 1) / step * step, CodeSteps);
    return {double(low), double(high), double(step)};
}

} // namespace qv4130::characterise

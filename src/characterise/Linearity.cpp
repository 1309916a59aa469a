#include "Linearity.h"

#include <algorithm>
#include <cmath>

namespace qv4130::characterise {

namespace {

Line EndPointLine(const std::vector<Point>& sorted) {
    const Point& first = sorted.front();
    const Point& last = sorted.back();
    const double slope = (last.volts - first.volts) / (last.code - first.code);
    return {first.volts - slope * first.code, slope};
}

Line LeastSquaresLine(const std::vector<Point>& sorted) {
    // Centred sums keep the precision: codes reach 4095, their squares 16 million.
    const double n = static_cast<double>(sorted.size());
    double meanCode = 0.0;
    double meanVolts = 0.0;
    for (const Point& p : sorted) {
        meanCode += p.code;
        meanVolts += p.volts;
    }
    meanCode /= n;
    meanVolts /= n;
    double codeVolts = 0.0;
    double codeCode = 0.0;
    for (const Point& p : sorted) {
        codeVolts += (p.code - meanCode) * (p.volts - meanVolts);
        codeCode += (p.code - meanCode) * (p.code - meanCode);
    }
    const double slope = codeVolts / codeCode;
    return {meanVolts - slope * meanCode, slope};
}

// A step this small beside the ideal one is no step: the channel is dead.
constexpr double DeadStepFraction = 0.01;

void Keep(Worst& worst, double lsb, int code) {
    if (std::abs(lsb) > std::abs(worst.lsb)) {
        worst = {lsb, code};
    }
}

} // namespace

Linearity Analyse(std::span<const Point> points, const IdealTransfer& ideal) {
    std::vector<Point> sorted(points.begin(), points.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Point& a, const Point& b) { return a.code < b.code; });

    Linearity result;
    result.ideal = ideal;
    const double lsb = ideal.LsbVolts();
    for (const Point& p : sorted) {
        result.codes.push_back(
            {p.code, p.volts, (p.volts - ideal.Volts(p.code)) / lsb, 0.0, 0.0, std::nullopt});
    }
    if (sorted.size() < 2 || sorted.front().code == sorted.back().code) {
        return result;
    }

    Summary summary;
    summary.endPoint = EndPointLine(sorted);
    summary.bestFit = LeastSquaresLine(sorted);
    const int fullScale = ideal.codeSpan - 1;
    summary.offsetLsb = summary.endPoint.interceptVolts / lsb;
    summary.gainErrorLsb = (summary.endPoint.voltsPerCode - lsb) * fullScale / lsb;
    summary.gainErrorPercent = (summary.endPoint.voltsPerCode / lsb - 1.0) * 100.0;

    // A dead channel (the same volts throughout, or a meter not on it) has no
    // step of its own: its non-linearity is then counted in ideal LSB. Its fitted
    // slope is rarely exactly 0 but rounding's 1e-20 V a code, or its noise's:
    // dividing by that would make figures of 1e19 LSB out of nothing.
    auto ownStep = [lsb](double voltsPerCode) {
        return std::abs(voltsPerCode) > lsb * DeadStepFraction ? voltsPerCode : lsb;
    };
    const double stepVolts = ownStep(summary.endPoint.voltsPerCode);
    const double fitStepVolts = ownStep(summary.bestFit.voltsPerCode);
    for (std::size_t i = 0; i < result.codes.size(); ++i) {
        CodeResult& c = result.codes[i];
        c.inlEndPointLsb = (c.volts - summary.endPoint.At(c.code)) / stepVolts;
        c.inlBestFitLsb = (c.volts - summary.bestFit.At(c.code)) / fitStepVolts;
        Keep(summary.inlEndPoint, c.inlEndPointLsb, c.code);
        Keep(summary.inlBestFit, c.inlBestFitLsb, c.code);
        Keep(summary.error, c.errorLsb, c.code);
        if (i == 0) {
            continue;
        }
        const CodeResult& previous = result.codes[i - 1];
        const int crossed = c.code - previous.code;
        if (crossed == 0) {
            continue; // the same code measured twice: no step to speak of
        }
        const double step = c.volts - previous.volts;
        c.dnlLsb = step / crossed / stepVolts - 1.0;
        Keep(summary.dnl, *c.dnlLsb, c.code);
        if (step < 0.0 && summary.monotonic) {
            summary.monotonic = false;
            summary.firstNonMonotonicCode = c.code;
        }
    }
    result.summary = summary;
    return result;
}

} // namespace qv4130::characterise

// The linearity figures of channels whose faults are known exactly, so each
// figure can be checked against what was put in, and whether the readings are
// taken for a channel's at all.
#include "characterise/Linearity.h"
#include "characterise/NiceScale.h"
#include "characterise/RunStanding.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv4130::characterise {
namespace {

constexpr IdealTransfer Ideal{};
constexpr double Lsb = 2.5 / 4096;
constexpr double Tolerance = 1e-6;

// A channel's transfer in LSB of the ideal one: what it puts out for a code.
using TransferLsb = std::function<double(int code)>;

struct Case {
    std::string name;
    TransferLsb transfer;
    int from = 0, to = 4095, step = 1;
    double vref = Ideal.vref; // what the channel is reckoned against
    double offsetLsb = 0, gainErrorLsb = 0;
    Worst inlEndPoint{}, inlBestFit{}, dnl{}, error{};
    bool monotonic = true;
    std::optional<int> firstNonMonotonicCode{};
    // False for readings no channel gives: the run must say so rather than give figures.
    bool follows = true;
};

std::vector<Point> Measure(const Case& c) {
    std::vector<Point> points;
    for (int code = c.from; code <= c.to; code += c.step) {
        points.push_back({code, c.transfer(code) * Lsb});
    }
    return points;
}

// The bow is symmetric: its worst codes come in pairs, either may be named.
constexpr int Tie = -1;

// A bow of one LSB at mid-scale over an otherwise perfect transfer. The
// least-squares line sits a third of the bow above the ends, so the best-fit
// INL is worst at the ends (-2/3) and only +1/3 in the middle.
double Bow(int code) {
    const double x = code / 4095.0;
    return code + 4.0 * x * (1.0 - x);
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases{
        {.name = "pure offset",
         .transfer = [](int code) { return code + 3.0; },
         .offsetLsb = 3.0,
         .error = {3.0, 0}},
        {.name = "gain error of 2 LSB at full scale",
         .transfer = [](int code) { return code * (1.0 + 2.0 / 4095); },
         .gainErrorLsb = 2.0,
         .error = {2.0, 4095}},
        {.name = "a run stopped at code 1000 still sees the whole gain error",
         .transfer = [](int code) { return 0.5 + code * (1.0 + 2.0 / 4095); },
         .to = 1000,
         .offsetLsb = 0.5,
         .gainErrorLsb = 2.0,
         .error = {0.5 + 2000.0 / 4095, 1000}},
        {.name = "code 2048 missing: it puts out what 2047 does",
         .transfer = [](int code) { return code == 2048 ? 2047.0 : code; },
         .inlEndPoint = {-1.0, 2048},
         .inlBestFit = {-1.0, 2048},
         .dnl = {-1.0, 2048},
         .error = {-1.0, 2048}},
        {.name = "a step down at code 2048",
         .transfer = [](int code) { return code == 2048 ? 2046.5 : code; },
         .inlEndPoint = {-1.5, 2048},
         .inlBestFit = {-1.5, 2048},
         .dnl = {-1.5, 2048},
         .error = {-1.5, 2048},
         .monotonic = false,
         .firstNonMonotonicCode = 2048},
        {.name = "a bow: end-point and best-fit INL differ",
         .transfer = Bow,
         .inlEndPoint = {1.0, Tie},
         .inlBestFit = {-2.0 / 3, Tie},
         .dnl = {4.0 / 4095, Tie},
         .error = {1.0, Tie}},
        {.name = "a perfect channel on a 4.096 V reference, reckoned against it",
         .transfer = [](int code) { return code * 4.096 / 2.5; },
         .vref = 4.096},
        {.name = "every second code: each step spans two codes, so no DNL",
         .transfer = [](int code) { return double(code); },
         .step = 2},
        {.name = "eleven codes of a good channel are still a channel",
         .transfer = [](int code) { return double(code); },
         .from = 100,
         .to = 110},
        {.name = "two codes a step of 1.6 LSB apart: a DNL of 0.6, not a wrong meter",
         .transfer = [](int code) { return code * 1.6; },
         .to = 1,
         .gainErrorLsb = 0.6 * 4095,
         .error = {0.6, 1}},
        {.name = "reckoned against 2.5 V on a 3.5 V reference: 40 % off, but following",
         .transfer = [](int code) { return code * 1.4; },
         .gainErrorLsb = 0.4 * 4095,
         .error = {0.4 * 4095, 4095}},
        {.name = "a meter on no channel: -1.8 mV at every code",
         .transfer = [](int) { return -1.8e-3 / Lsb; },
         .offsetLsb = -1.8e-3 / Lsb,
         .gainErrorLsb = -4095.0,
         .dnl = {-1.0, 1},
         .error = {-1.8e-3 / Lsb - 4095, 4095},
         .follows = false},
        {.name = "the meter's leads the wrong way round",
         .transfer = [](int code) { return -double(code); },
         .gainErrorLsb = -2.0 * 4095,
         .error = {-2.0 * 4095, 4095},
         .monotonic = false,
         .firstNonMonotonicCode = 1,
         .follows = false},
        {.name = "40 % of the output: a divider, or another channel",
         .transfer = [](int code) { return code * 0.4; },
         .gainErrorLsb = -0.6 * 4095,
         .error = {-0.6 * 4095, 4095},
         .follows = false},
        {.name = "readings jumping 3 LSB over four codes: the ends agree, the rest is scatter",
         .transfer = [](int code) { return code % 2 == 1 ? 3.0 : 0.0; },
         .to = 3,
         .inlEndPoint = {2.0, 1},
         .inlBestFit = {3.0, 1},
         .dnl = {-4.0, 2},
         .error = {2.0, 1},
         .monotonic = false,
         .firstNonMonotonicCode = 2,
         .follows = false},
    };
    return cases;
}

void ExpectWorst(const char* what, const Worst& actual, const Worst& expected, double tolerance) {
    if (expected.code == Tie) {
        // The pair may differ in sign (a bow's first and last steps): only the size counts.
        EXPECT_NEAR(std::abs(actual.lsb), std::abs(expected.lsb), tolerance) << what;
        return;
    }
    EXPECT_NEAR(actual.lsb, expected.lsb, tolerance) << what;
    if (expected.lsb != 0.0) {
        EXPECT_EQ(actual.code, expected.code) << what;
    }
}

TEST(Linearity, FiguresOfKnownChannels) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::vector<Point> points = Measure(c);
        const Linearity result = Analyse(points, {.vref = c.vref});
        ASSERT_EQ(result.codes.size(), points.size());
        ASSERT_TRUE(result.summary.has_value());
        const Summary& s = *result.summary;
        EXPECT_NEAR(s.offsetLsb, c.offsetLsb, Tolerance);
        EXPECT_NEAR(s.gainErrorLsb, c.gainErrorLsb, Tolerance);
        ExpectWorst("end-point INL", s.inlEndPoint, c.inlEndPoint, 1e-3);
        ExpectWorst("best-fit INL", s.inlBestFit, c.inlBestFit, 1e-3);
        ExpectWorst("DNL", s.dnl, c.dnl, 1e-3);
        ExpectWorst("error", s.error, c.error, 1e-3);
        EXPECT_EQ(s.monotonic, c.monotonic);
        EXPECT_EQ(s.firstNonMonotonicCode, c.firstNonMonotonicCode);
        EXPECT_EQ(ReadingsDoNotFollow(result, 3),
                  c.follows ? std::nullopt
                            : std::optional<std::string>("the readings do not follow the codes: "
                                                         "is the meter on channel 3's output?"));
    }
}

TEST(Linearity, TooFewCodesGiveTheCodesButNoLines) {
    for (const std::vector<Point>& points : {std::vector<Point>{}, std::vector<Point>{{7, 1.0}},
                                             std::vector<Point>{{7, 1.0}, {7, 1.1}}}) {
        const Linearity result = Analyse(points, Ideal);
        EXPECT_EQ(result.codes.size(), points.size());
        EXPECT_FALSE(result.summary.has_value());
    }
}

// Axes a reader can read: round ends, and steps of 1, 2, 2.5, 5 x 10^n (codes:
// powers of two), whatever the figures, a flat line and an empty plot included.
TEST(NiceScale, AxesEndAndStepOnRoundNumbers) {
    struct Case {
        double low, high;
        NiceScale expected;
    };
    const Case values[] = {
        {-0.13, 0.63, {-0.2, 0.8, 0.2}},      {0.0, 2.5, {-0.5, 3.0, 0.5}},
        {0.0, 1.1, {-0.25, 1.25, 0.25}},      {-1.0, 1.0, {-1.5, 1.5, 0.5}},
        {0.3, 0.3, {0.25, 0.35, 0.05}},       {0.0, 0.0, {-1.0, 1.0, 1.0}},
        {-12.0, 130.0, {-50.0, 150.0, 50.0}},
    };
    for (const Case& c : values) {
        const NiceScale got = NiceValueScale(c.low, c.high);
        EXPECT_NEAR(got.low, c.expected.low, 1e-12) << c.low << ".." << c.high;
        EXPECT_NEAR(got.high, c.expected.high, 1e-12) << c.low << ".." << c.high;
        EXPECT_NEAR(got.step, c.expected.step, 1e-12) << c.low << ".." << c.high;
    }
    const std::array<std::array<int, 5>, 4> codes{{
        {0, 4095, 0, 4096, 512},
        {0, 255, 0, 256, 32},
        {1000, 1010, 1000, 1010, 2},
        {0, 0, 0, 1, 1},
    }};
    for (const auto& [first, last, low, high, step] : codes) {
        const NiceScale got = NiceCodeScale(first, last);
        const std::array<double, 3> expected{double(low), double(high), double(step)};
        EXPECT_EQ((std::array<double, 3>{got.low, got.high, got.step}), expected)
            << first << ".." << last;
    }
}

} // namespace
} // namespace qv4130::characterise

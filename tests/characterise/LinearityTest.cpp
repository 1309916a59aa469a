// The linearity figures of channels whose faults are known exactly, so each
// figure can be checked against what was put in, and whether the readings are
// taken for a channel's at all. (The virtual board's outputs, measured and
// analysed: the window's whole run.)
#include "characterise/Linearity.h"
#include "characterise/NiceScale.h"
#include "characterise/RunStanding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace qv4130::characterise {
namespace {

constexpr IdealTransfer Ideal{};
constexpr double Lsb = 2.5 / 4096;

// `value` rounded to `unit`, as the shortest text that shows it ("-0" as "0").
std::string Rounded(double value, double unit) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", std::round(value / unit) * unit + 0.0);
    return text;
}

// What sets a channel apart from a perfect one: offset and gain to 1e-6 LSB, the
// worst codes to 1e-3 LSB (a bow's steps are not quite its curve). Sizes only,
// written |INL|, where the worst codes come in pairs that differ in sign.
std::string Figures(const Linearity& result, bool sizesOnly) {
    const Summary& s = *result.summary;
    std::string text;
    const auto add = [&text](const std::string& figure) {
        text += (text.empty() ? "" : ", ") + figure;
    };
    for (const auto& [name, lsb] : {std::pair{"offset", s.offsetLsb}, {"gain", s.gainErrorLsb}}) {
        if (Rounded(lsb, 1e-6) != "0") {
            add(name + (" " + Rounded(lsb, 1e-6)));
        }
    }
    for (const auto& [name, worst] : {std::pair{"INL", s.inlEndPoint},
                                      {"best-fit", s.inlBestFit},
                                      {"DNL", s.dnl},
                                      {"error", s.error}}) {
        const std::string lsb = Rounded(sizesOnly ? std::abs(worst.lsb) : worst.lsb, 1e-3);
        if (lsb != "0") {
            add(sizesOnly ? "|" + std::string(name) + "| " + lsb
                          : name + (" " + lsb + "@" + std::to_string(worst.code)));
        }
    }
    if (!s.monotonic) {
        add("step down@" + std::to_string(s.firstNonMonotonicCode.value_or(-1)));
    }
    if (ReadingsDoNotFollow(result, 3)) {
        add("not following"); // the run must say so rather than give figures
    }
    return text;
}

// A bow of one LSB at mid-scale over an otherwise perfect transfer. The
// least-squares line sits a third of the bow above the ends, so the best-fit
// INL is worst at the ends (-2/3) and only +1/3 in the middle.
double Bow(int code) {
    const double x = code / 4095.0;
    return code + 4.0 * x * (1.0 - x);
}

TEST(Linearity, FiguresOfKnownChannels) {
    struct Case {
        const char* name;
        double (*transferLsb)(int code); // what the channel puts out, in LSB of the ideal
        const char* figures;
        int from = 0, to = 4095, step = 1;
        double vref = Ideal.vref; // what the channel is reckoned against
    };
    const Case cases[] = {
        {"pure offset", [](int code) { return code + 3.0; }, "offset 3, error 3@0"},
        {"gain error of 2 LSB at full scale", [](int code) { return code * (1.0 + 2.0 / 4095); },
         "gain 2, error 2@4095"},
        {"a run stopped at code 1000 still sees the whole gain error",
         [](int code) { return 0.5 + code * (1.0 + 2.0 / 4095); },
         "offset 0.5, gain 2, error 0.988@1000", 0, 1000},
        {"code 2048 missing: it puts out what 2047 does",
         [](int code) { return code == 2048 ? 2047.0 : code; },
         "INL -1@2048, best-fit -1@2048, DNL -1@2048, error -1@2048"},
        {"a step down at code 2048", [](int code) { return code == 2048 ? 2046.5 : code; },
         "INL -1.5@2048, best-fit -1.5@2048, DNL -1.5@2048, error -1.5@2048, step down@2048"},
        {"a bow: end-point and best-fit INL differ", Bow,
         "|INL| 1, |best-fit| 0.667, |DNL| 0.001, |error| 1"},
        {"a perfect channel on a 4.096 V reference, reckoned against it",
         [](int code) { return code * 4.096 / 2.5; }, "", 0, 4095, 1, 4.096},
        {"every second code: each step spans two codes, so no DNL",
         [](int code) { return double(code); }, "", 0, 4095, 2},
        {"eleven codes of a good channel are still a channel",
         [](int code) { return double(code); }, "", 100, 110},
        {"two codes a step of 1.6 LSB apart: a DNL of 0.6, not a wrong meter",
         [](int code) { return code * 1.6; }, "gain 2457, error 0.6@1", 0, 1},
        {"reckoned against 2.5 V on a 3.5 V reference: 40 % off, but following, and its "
         "two missing codes are two of its own steps, not 2.8 ideal LSB",
         [](int code) { return (code == 2048 || code == 2049 ? 2047 : code) * 1.4; },
         "gain 1638, INL -2@2049, best-fit -1.999@2049, DNL 2@2050, error 1638@4095"},
        {"the meter's leads the wrong way round", [](int code) { return -double(code); },
         "gain -8190, error -8190@4095, step down@1, not following"},
        {"40 % of the output: a divider, or another channel", [](int code) { return code * 0.4; },
         "gain -2457, error -2457@4095, not following"},
        {"readings jumping 3 LSB over four codes: the ends agree, the rest is scatter",
         [](int code) { return code % 2 == 1 ? 3.0 : 0.0; },
         "INL 2@1, best-fit 3@1, DNL -4@2, error 2@1, step down@2, not following", 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Point> points;
        for (int code = c.from; code <= c.to; code += c.step) {
            points.push_back({code, c.transferLsb(code) * Lsb});
        }
        const Linearity result = Analyse(points, {.vref = c.vref});
        ASSERT_EQ(result.codes.size(), points.size());
        ASSERT_TRUE(result.summary.has_value());
        EXPECT_EQ(Figures(result, c.figures[0] == '|'), c.figures);
    }
}

// Axes a reader can read: round ends, and steps of 1, 2, 2.5, 5 x 10^n (codes:
// powers of two), whatever the figures, a flat line and an empty plot included.
TEST(NiceScale, AxesEndAndStepOnRoundNumbers) {
    const auto axis = [](const NiceScale& s) {
        return Rounded(s.low, 1e-9) + ".." + Rounded(s.high, 1e-9) + " by " + Rounded(s.step, 1e-9);
    };
    const std::tuple<double, double, const char*> values[] = {
        {-0.13, 0.63, "-0.2..0.8 by 0.2"}, {0.0, 2.5, "-0.5..3 by 0.5"},
        {0.0, 1.1, "-0.25..1.25 by 0.25"}, {-1.0, 1.0, "-1.5..1.5 by 0.5"},
        {0.3, 0.3, "0.25..0.35 by 0.05"},  {0.0, 0.0, "-1..1 by 1"},
    };
    for (const auto& [low, high, expected] : values) {
        EXPECT_EQ(axis(NiceValueScale(low, high)), expected) << low << ".." << high;
    }
    const std::tuple<int, int, const char*> codes[] = {{0, 4095, "0..4096 by 512"},
                                                       {0, 255, "0..256 by 32"},
                                                       {1000, 1010, "1000..1010 by 2"},
                                                       {0, 0, "0..1 by 1"}};
    for (const auto& [first, last, expected] : codes) {
        EXPECT_EQ(axis(NiceCodeScale(first, last)), expected) << first << ".." << last;
    }
}

} // namespace
} // namespace qv4130::characterise

// The virtual board's analog outputs measured at every code and analysed: what
// the model put in must come back out, or a characterisation on the virtual
// board would prove nothing.
#include "virtualboard/AnalogModel.h"
#include "characterise/Linearity.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

using characterise::Analyse;
using characterise::Point;

constexpr double Within = 0.05; // LSB

TEST(AnalogModel, EveryChannelsFaultsComeBackFromTheArithmetic) {
    for (std::uint64_t seed : {1u, 4130u}) {
        const AnalogModel model({.vref = 2.5, .seed = seed});
        for (int channel = 0; channel < ChannelCount; ++channel) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", channel " << channel);
            std::vector<Point> points;
            for (int code = 0; code <= FullScaleCode; ++code) {
                points.push_back({code, model.Volts(channel, code)});
            }
            const auto result = Analyse(points, {.vref = 2.5});
            const ChannelFaults& faults = model.Faults(channel);
            EXPECT_NEAR(result.summary->offsetLsb, faults.offsetLsb, Within);
            EXPECT_NEAR(result.summary->gainErrorLsb, faults.gainErrorLsb, Within);
            int wrong = 0;
            for (const auto& c : result.codes) {
                const auto at = static_cast<std::size_t>(c.code);
                wrong += std::abs(c.inlEndPointLsb - faults.inlLsb[at]) > Within;
                if (c.dnlLsb) {
                    wrong +=
                        std::abs(*c.dnlLsb - (faults.inlLsb[at] - faults.inlLsb[at - 1])) > Within;
                }
            }
            EXPECT_EQ(wrong, 0) << "codes whose INL or DNL is not the injected one";
        }
    }
}

} // namespace
} // namespace qv4130

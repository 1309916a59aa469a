#include "AnalogModel.h"

#include <cmath>
#include <numbers>

namespace qv4130 {

namespace {

// A bow of `bowLsb` at mid-scale, each code then off it by up to half of
// `dnlLsb` either way (so neighbours differ by up to `dnlLsb`), and the whole
// tilted so both end codes sit at 0.
std::vector<double> DrawPattern(std::mt19937_64& random, double bowLsb, double dnlLsb) {
    std::uniform_real_distribution<double> wobble(-dnlLsb / 2, dnlLsb / 2);
    std::vector<double> pattern(CodeSteps);
    for (int code = 0; code < CodeSteps; ++code) {
        const double x = static_cast<double>(code) / FullScaleCode;
        pattern[static_cast<std::size_t>(code)] =
            bowLsb * std::sin(std::numbers::pi * x) + wobble(random);
    }
    const double first = pattern.front();
    const double last = pattern.back();
    for (int code = 0; code < CodeSteps; ++code) {
        pattern[static_cast<std::size_t>(code)] -= first + (last - first) * code / FullScaleCode;
    }
    return pattern;
}

} // namespace

AnalogModel::AnalogModel(const AnalogSettings& settings)
    : settings_(settings), noise_(settings.seed ^ 0x9E3779B97F4A7C15ull) {
    std::mt19937_64 random(settings.seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (ChannelFaults& channel : faults_) {
        channel.offsetLsb = settings.maxOffsetLsb * unit(random);
        channel.gainErrorLsb = settings.maxGainErrorLsb * unit(random);
        channel.inlLsb = DrawPattern(random, settings.maxInlLsb * unit(random), settings.maxDnlLsb);
    }
}

const ChannelFaults& AnalogModel::Faults(int channel) const {
    return faults_[static_cast<std::size_t>(channel)];
}

double AnalogModel::Volts(int channel, int code) const {
    const ChannelFaults& f = Faults(channel);
    const double lsb = settings_.vref / CodeSteps;
    const double gain = 1.0 + f.gainErrorLsb / FullScaleCode;
    return lsb * (f.offsetLsb + gain * (code + f.inlLsb[static_cast<std::size_t>(code)]));
}

double AnalogModel::SteadyOutput(const Qv4130Chip& chip, int channel) const {
    return chip.PoweredDown() ? 0.0 : Volts(channel, chip.Code(channel));
}

double AnalogModel::Output(const Qv4130Chip& chip, int channel) {
    const double volts = SteadyOutput(chip, channel);
    if (chip.PoweredDown() || settings_.noiseLsb <= 0.0) {
        return volts;
    }
    std::normal_distribution<double> noise(0.0, settings_.noiseLsb * settings_.vref / CodeSteps);
    return volts + noise(noise_);
}

} // namespace qv4130

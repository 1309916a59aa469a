#pragma once

#include "Qv4130Chip.h"
#include "qv4130/BoardVocabulary.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace qv4130 {

// What the virtual board's 16 outputs put out in volts, as a real board's would:
// never quite the ideal code / 4096 x Vref. Each channel has its own offset,
// gain error and a fixed pattern of non-linearity, all drawn from one seed so a
// run can be repeated, and optionally a little noise on every reading.
struct AnalogSettings {
    double vref = reference_volts::Default;
    std::uint64_t seed = 1;
    // Spread of the drawn faults (each channel's is somewhere within them).
    double maxOffsetLsb = 4.0;
    double maxGainErrorLsb = 4.0;
    double maxInlLsb = 1.5; // the bow of the pattern, at mid-scale
    double maxDnlLsb = 0.3; // the code-to-code wobble on top of it
    double noiseLsb = 0.0;  // standard deviation of the noise, 0 for none
};

// One channel's faults. Its output for a code is
//   V = lsb x (offsetLsb + (1 + gainErrorLsb / 4095) x (code + inlLsb[code]))
// with lsb = Vref / 4096. The pattern is zero at codes 0 and 4095, so the line
// through the two end codes carries exactly the offset and the gain error, and
// inlLsb is the end-point INL in the channel's own step size.
struct ChannelFaults {
    double offsetLsb = 0.0;
    double gainErrorLsb = 0.0;
    std::vector<double> inlLsb; // one per code, 0 to 4095
};

class AnalogModel {
public:
    explicit AnalogModel(const AnalogSettings& settings = {});

    double Vref() const { return settings_.vref; }
    const ChannelFaults& Faults(int channel) const;

    // The channel's output for a code, without noise.
    double Volts(int channel, int code) const;
    // What the channel puts out now, without noise: 0 V while the chip holds its
    // outputs powered down, otherwise its code's volts.
    double SteadyOutput(const Qv4130Chip& chip, int channel) const;
    // What a meter on the channel reads now: the steady output plus noise.
    double Output(const Qv4130Chip& chip, int channel);

private:
    AnalogSettings settings_;
    std::array<ChannelFaults, ChannelCount> faults_;
    std::mt19937_64 noise_;
};

} // namespace qv4130

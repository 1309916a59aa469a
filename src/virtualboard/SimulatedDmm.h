#pragma once

#include "AnalogModel.h"
#include "Qv4130Chip.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130 {

// A bench DMM clipped to the virtual board's outputs, a 6½-digit meter like the
// ones on a real bench: DC volts on five ranges, 0.1 V to 1000 V (autorange or
// fixed), an integration time of 0.02 to 100 power-line cycles, a trigger model
// (a measurement of `SampleCount` readings when triggered, immediately or by a
// bus trigger, kept until the next) and a 16-way input switch that picks the
// channel it measures. What it reads is the analog model's output for the
// channel's code. Spoken to in SCPI through its command table (MeterCommands.h).
class SimulatedDmm {
public:
    static constexpr std::string_view Identity = "QV4130,Simulated DMM,0,1.0";

    static constexpr std::array<double, 5> Ranges{0.1, 1.0, 10.0, 100.0, 1000.0};
    // A reading may be this much past its range; beyond it is an overload.
    static constexpr double OverRange = 1.2;
    // What a meter sends for a reading off its range (IEEE 488.2's 9.9E37).
    static constexpr double Overload = 9.9e37;
    // The integration times, and the resolution each gives, as a fraction of the range.
    static constexpr std::array<double, 5> IntegrationNplc{0.02, 0.2, 1.0, 10.0, 100.0};
    static constexpr std::array<double, 5> ResolutionOfRange{1e-4, 1e-5, 3e-6, 1e-6, 3e-7};
    static constexpr double DefaultNplc = 10.0;
    static constexpr std::size_t MaxSamples = 512; // its reading memory

    enum class TriggerSource { Immediate, Bus };

    SimulatedDmm(const Qv4130Chip& chip, AnalogModel& model);

    // *RST: DC volts, autorange, 10 NPLC, immediate trigger, one sample, no
    // readings kept. The input switch is wiring, not a setting: it stays.
    void Reset();
    // CONFigure: the range (none: autorange) and integration time, and the
    // trigger model back to one immediate sample, no readings kept.
    void Configure(std::optional<double> rangeVolts, double nplc);

    // The range in use: the one set, or under autorange the one the input fits.
    double Range() const;
    // The range a CONFigure with `rangeVolts` would use.
    double RangeFor(std::optional<double> rangeVolts) const;
    bool AutoRange() const { return autoRange_; }
    // The smallest range that holds `volts` (up to 1000 V); autorange off.
    void SetRange(double volts);
    // Autorange on, or off on the range in use.
    void SetAutoRange(bool on);

    double Nplc() const { return nplc_; }
    // The shortest integration time at least `nplc` (at most 100).
    void SetNplc(double nplc);
    // The resolution the integration time gives on the range in use.
    double Resolution() const;
    // The shortest integration time whose resolution on `rangeVolts` is
    // `volts` or finer; none when `volts` is finer or coarser than any gives.
    static std::optional<double> NplcFor(double volts, double rangeVolts);

    TriggerSource Source() const { return source_; }
    void SetSource(TriggerSource source) { source_ = source; }
    std::size_t SampleCount() const { return sampleCount_; }
    void SetSampleCount(std::size_t count) { sampleCount_ = count; }

    // INITiate: the readings of an immediate trigger are taken at once; a bus
    // trigger is waited for. False, and nothing done, while one is waited for.
    bool Initiate();
    // *TRG: the readings, if a bus trigger is waited for; false otherwise.
    bool Trigger();
    bool WaitingForTrigger() const { return waiting_; }
    // The last measurement's readings (none before one, and while one waits).
    const std::vector<double>& Readings() const { return readings_; }

    // One reading now, in volts, or Overload past the range in use.
    double Read();

    // The channel its input is switched to.
    int Channel() const { return channel_; }
    void Route(int channel) { channel_ = channel; }

    // "+1.234567890E-01", as bench meters send a reading, whatever the locale.
    static std::string FormatReading(double volts);

private:
    // The range that holds `volts`, the largest if none does.
    static double Holding(double volts);
    void Measure();

    const Qv4130Chip& chip_;
    AnalogModel& model_;
    int channel_ = 0;
    double range_ = 10.0;
    bool autoRange_ = true;
    double nplc_ = DefaultNplc;
    TriggerSource source_ = TriggerSource::Immediate;
    std::size_t sampleCount_ = 1;
    bool waiting_ = false;
    std::vector<double> readings_;
};

} // namespace qv4130

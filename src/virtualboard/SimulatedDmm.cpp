#include "SimulatedDmm.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qv4130 {

namespace {

// Figures that come from decimal text compare with a little room.
constexpr double Slack = 1e-9;

} // namespace

SimulatedDmm::SimulatedDmm(const Qv4130Chip& chip, AnalogModel& model)
    : chip_(chip), model_(model) {}

void SimulatedDmm::Reset() {
    Configure(std::nullopt, DefaultNplc);
    range_ = Ranges[2];
}

void SimulatedDmm::Configure(std::optional<double> rangeVolts, double nplc) {
    autoRange_ = !rangeVolts;
    if (rangeVolts) {
        SetRange(*rangeVolts);
    }
    SetNplc(nplc);
    source_ = TriggerSource::Immediate;
    sampleCount_ = 1;
    waiting_ = false;
    readings_.clear();
}

double SimulatedDmm::Holding(double volts) {
    const auto fits = std::ranges::find_if(
        Ranges, [&](double range) { return std::abs(volts) <= range * (1 + Slack); });
    return fits == Ranges.end() ? Ranges.back() : *fits;
}

double SimulatedDmm::Range() const {
    return autoRange_ ? RangeFor(std::nullopt) : range_;
}

double SimulatedDmm::RangeFor(std::optional<double> rangeVolts) const {
    return Holding(rangeVolts ? *rangeVolts : model_.SteadyOutput(chip_, channel_));
}

void SimulatedDmm::SetRange(double volts) {
    range_ = Holding(volts);
    autoRange_ = false;
}

void SimulatedDmm::SetAutoRange(bool on) {
    range_ = Range();
    autoRange_ = on;
}

void SimulatedDmm::SetNplc(double nplc) {
    const auto enough = std::ranges::find_if(
        IntegrationNplc, [&](double time) { return time >= nplc * (1 - Slack); });
    nplc_ = enough == IntegrationNplc.end() ? IntegrationNplc.back() : *enough;
}

double SimulatedDmm::Resolution() const {
    const auto place = std::ranges::find(IntegrationNplc, nplc_) - IntegrationNplc.begin();
    return ResolutionOfRange[static_cast<std::size_t>(place)] * Range();
}

std::optional<double> SimulatedDmm::NplcFor(double volts, double rangeVolts) {
    if (volts > ResolutionOfRange.front() * rangeVolts * (1 + Slack)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < IntegrationNplc.size(); ++i) {
        if (ResolutionOfRange[i] * rangeVolts <= volts * (1 + Slack)) {
            return IntegrationNplc[i];
        }
    }
    return std::nullopt;
}

bool SimulatedDmm::Initiate() {
    if (waiting_) {
        return false;
    }
    readings_.clear();
    waiting_ = source_ == TriggerSource::Bus;
    if (!waiting_) {
        Measure();
    }
    return true;
}

bool SimulatedDmm::Trigger() {
    if (!waiting_) {
        return false;
    }
    waiting_ = false;
    Measure();
    return true;
}

void SimulatedDmm::Measure() {
    readings_.resize(sampleCount_);
    std::ranges::generate(readings_, [this] { return Read(); });
}

double SimulatedDmm::Read() {
    const double volts = model_.Output(chip_, channel_);
    const double range = autoRange_ ? Holding(volts) : range_;
    return std::abs(volts) > range * OverRange ? Overload : volts;
}

std::string SimulatedDmm::FormatReading(double volts) {
    char text[32] = {volts < 0 ? '-' : '+'};
    const auto [end, failure] = std::to_chars(text + 1, text + sizeof text, std::abs(volts),
                                              std::chars_format::scientific, 9);
    std::string reading(text, failure == std::errc{} ? end : text + 1);
    for (char& c : reading) {
        c = c == 'e' ? 'E' : c;
    }
    return reading;
}

} // namespace qv4130

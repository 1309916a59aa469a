#pragma once

#include "Meter.h"
#include "MeterTransport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace qv4130::characterise {

struct ScpiMeterSettings {
    // How the operator named the meter: every message about it starts with this.
    std::string name{};
    // The DC range in volts and the integration time in power-line cycles; the
    // meter's own choice (autorange, its default NPLC) where not given.
    std::optional<double> rangeVolts{};
    std::optional<double> nplc{};
    // READ? takes a reading as configured; MEAS:VOLT:DC? configures each time,
    // which suits meters that forget CONF between readings.
    bool measureEachReading = false;
    // ROUTe:CLOSe (@n) before configuring, for a meter that switches between
    // inputs (the virtual board's meter picks its channel so); none for one input.
    std::optional<int> routeChannel{};
    std::chrono::milliseconds timeout{2000};
};

// A DMM spoken to in SCPI: configured for DC volts once, then one query per
// reading, each followed by SYST:ERR?, so a reading the meter itself flags as
// wrong never reaches the results.
class ScpiMeter final : public Meter {
public:
    ScpiMeter(std::unique_ptr<MeterTransport> transport, ScpiMeterSettings settings);

    // *CLS, the route, CONF:VOLT:DC and the NPLC, then the error queue. Throws MeterError.
    void Configure();
    // Asks *IDN? and returns the answer, which Identity() keeps. Throws MeterError.
    std::string Identify();
    std::string Identity() const override { return identity_; }
    // Has Configure close the route to `channel`, for a meter found to switch inputs.
    void RouteTo(int channel) { settings_.routeChannel = channel; }
    double ReadVolts() override;

private:
    std::string Query(const std::string& query);
    void Send(const std::string& command);
    void CheckErrorQueue(const std::string& after);
    [[noreturn]] void Fail(const std::string& what) const;

    std::unique_ptr<MeterTransport> transport_;
    ScpiMeterSettings settings_;
    std::string identity_;
};

} // namespace qv4130::characterise

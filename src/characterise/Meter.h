#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace qv4130::characterise {

// A voltmeter on the channel being measured. Each call takes one reading.
class Meter {
public:
    virtual ~Meter() = default;
    // DC volts now; throws MeterError when the meter gives no reading.
    virtual double ReadVolts() = 0;
    // What the meter says it is (its *IDN? answer), for the record of a run;
    // empty when it was not asked.
    virtual std::string Identity() const { return {}; }
    // Whether a reading may keep its caller waiting (a meter over a link), and
    // may be taken on another thread than the one that writes the board. A
    // meter that reads the virtual board's model must be read on the board's
    // own thread, and never waits.
    virtual bool MayWait() const { return true; }
};

// Why a meter gave no reading, worded for the operator and naming the meter.
class MeterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Connects the meter at an address (none: the program's own stand-in, where it
// has one) for a channel, configured and ready to read; throws MeterError.
using MeterConnector =
    std::function<std::unique_ptr<Meter>(std::optional<std::string> address, int channel)>;

} // namespace qv4130::characterise

#pragma once

// A meter on loopback TCP for the meter link's tests: the simulated DMM behind a
// real socket, which can be told to misbehave at one reading the way real
// meters do: say nothing, queue an error, send garbage, or hang up.
#include "virtualboard/SimulatedMeterHandler.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace qv4130::characterise {

enum class MeterFault { None, Silent, ErrorQueued, Garbage, Disconnect, EndlessLine };

class StandInMeter {
public:
    // Serves one connection on 127.0.0.1 at a port of the kernel's choosing; the
    // fault strikes at the `atReading`th READ? or MEAS? (counting from 1).
    StandInMeter(const Qv4130Chip& chip, AnalogModel& model, MeterFault fault = MeterFault::None,
                 int atReading = 0);
    ~StandInMeter();
    StandInMeter(const StandInMeter&) = delete;
    StandInMeter& operator=(const StandInMeter&) = delete;

    std::uint16_t Port() const { return port_; }

private:
    void Serve();
    bool Answer(int connection, const std::string& message);

    SimulatedMeterHandler dmm_;
    MeterFault fault_;
    int atReading_;
    int readings_ = 0;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread server_;
};

} // namespace qv4130::characterise

#include "ScpiMeter.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace qv4130::characterise {

namespace {

std::string Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// A SCPI number as meters send it ("+1.23456789E-01"); none for anything else.
std::optional<double> ParseNumber(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end != begin + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// What a meter sends for a reading off its range (IEEE 488.2's 9.9E37).
bool IsOverload(double volts) {
    return std::abs(volts) >= 9.0e37;
}

std::string Number(double value) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << value;
    return text.str();
}

} // namespace

ScpiMeter::ScpiMeter(std::unique_ptr<MeterTransport> transport, ScpiMeterSettings settings)
    : transport_(std::move(transport)), settings_(std::move(settings)) {}

void ScpiMeter::Fail(const std::string& what) const {
    throw MeterError("meter " + settings_.name + " " + what);
}

void ScpiMeter::Send(const std::string& command) {
    try {
        transport_->Send(command);
    } catch (const TransportError& error) {
        Fail(std::string("could not be sent ") + command + ": " + error.what());
    }
}

std::string ScpiMeter::Query(const std::string& query) {
    Send(query);
    try {
        return Trimmed(transport_->Receive(settings_.timeout));
    } catch (const TransportError& error) {
        Fail("did not answer " + query + ": " + error.what());
    }
}

void ScpiMeter::CheckErrorQueue(const std::string& after) {
    // "+0,\"No error\"" or "-113,\"Undefined header\"": the number decides.
    const std::string answer = Query("SYST:ERR?");
    const char* begin = answer.data();
    const char* const end = answer.data() + answer.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    int code = 0;
    const auto [stop, failure] = std::from_chars(begin, end, code);
    if (failure != std::errc{} || (stop != end && *stop != ',')) {
        Fail("answered SYST:ERR? with \"" + answer + "\", not an error number");
    }
    if (code != 0) {
        Fail("reports error " + answer + " after " + after);
    }
}

void ScpiMeter::Configure() {
    Send("*CLS");
    if (settings_.routeChannel) {
        Send("ROUT:CLOS (@" + std::to_string(*settings_.routeChannel) + ")");
    }
    std::string configure = "CONF:VOLT:DC";
    if (settings_.rangeVolts) {
        configure.append(" ").append(Number(*settings_.rangeVolts));
    }
    Send(configure);
    if (settings_.nplc) {
        Send(std::string("VOLT:DC:NPLC ").append(Number(*settings_.nplc)));
    }
    CheckErrorQueue(configure);
}

std::string ScpiMeter::Identify() {
    identity_ = Query("*IDN?");
    return identity_;
}

double ScpiMeter::ReadVolts() {
    const std::string query = settings_.measureEachReading ? "MEAS:VOLT:DC?" : "READ?";
    const std::string answer = Query(query);
    const std::optional<double> volts = ParseNumber(answer);
    if (!volts) {
        Fail("answered " + query + " with \"" + answer + "\", not a reading");
    }
    CheckErrorQueue(query);
    if (IsOverload(*volts)) {
        Fail("is overloaded: the output is off its range");
    }
    return *volts;
}

} // namespace qv4130::characterise

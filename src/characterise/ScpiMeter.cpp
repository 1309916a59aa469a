#include "ScpiMeter.h"

#include "qv4130/PlainText.h"

#include <cmath>
#include <sstream>

namespace qv4130::characterise {

namespace {

// What a meter sends for a reading off its range (IEEE 488.2's 9.9E37).
bool IsOverload(double volts) {
    return std::abs(volts) >= 9.0e37;
}

// A meter's answer in a message for the operator: control bytes as \xNN, so
// that a meter can't send escape sequences to the terminal, and no more than
// a line's worth of it.
std::string Shown(std::string_view answer, char alsoEscaped = '\\') {
    constexpr std::size_t Longest = 80;
    return text::Printable(answer.substr(0, Longest), alsoEscaped) +
           (answer.size() > Longest ? "..." : "");
}

std::string Quoted(std::string_view answer) {
    return '"' + Shown(answer, '"') + '"';
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
        return std::string(text::Trimmed(transport_->Receive(settings_.timeout)));
    } catch (const TransportError& error) {
        Fail("did not answer " + query + ": " + error.what());
    }
}

void ScpiMeter::CheckErrorQueue(const std::string& after) {
    // "+0,\"No error\"" or "-113,\"Undefined header\"": the number decides.
    const std::string answer = Query("SYST:ERR?");
    std::string_view number = std::string_view(answer).substr(0, answer.find(','));
    if (number.starts_with('+')) {
        number.remove_prefix(1);
    }
    const std::optional<int> code = text::ParseWhole<int>(number);
    if (!code) {
        Fail("answered SYST:ERR? with " + Quoted(answer) + ", not an error number");
    }
    if (*code != 0) {
        Fail("reports error " + Shown(answer) + " after " + after);
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
    // A SCPI number as meters send it: "+1.23456789E-01".
    const std::optional<double> volts = text::ParseDecimal(answer);
    if (!volts) {
        Fail("answered " + query + " with " + Quoted(answer) + ", not a reading");
    }
    CheckErrorQueue(query);
    if (IsOverload(*volts)) {
        Fail("is overloaded: the output is off its range");
    }
    return *volts;
}

} // namespace qv4130::characterise

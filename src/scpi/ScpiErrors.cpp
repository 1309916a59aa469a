#include "ScpiErrors.h"

namespace qv4130::scpi {

std::string_view ErrorText(Error error) {
    switch (error) {
    case Error::CommandError:
        return "Command error";
    case Error::SyntaxError:
        return "Syntax error";
    case Error::DataTypeError:
        return "Data type error";
    case Error::ParameterNotAllowed:
        return "Parameter not allowed";
    case Error::MissingParameter:
        return "Missing parameter";
    case Error::UndefinedHeader:
        return "Undefined header";
    case Error::HeaderSuffixOutOfRange:
        return "Header suffix out of range";
    case Error::TriggerIgnored:
        return "Trigger ignored";
    case Error::InitIgnored:
        return "Init ignored";
    case Error::TriggerDeadlock:
        return "Trigger deadlock";
    case Error::SettingsConflict:
        return "Settings conflict";
    case Error::DataOutOfRange:
        return "Data out of range";
    case Error::TooMuchData:
        return "Too much data";
    case Error::DataStale:
        return "Data corrupt or stale";
    case Error::QueueOverflow:
        break;
    }
    return "Queue overflow";
}

std::string FormatError(std::optional<Error> error) {
    if (!error) {
        return "0,\"No error\"";
    }
    return std::to_string(static_cast<int>(*error)) + ",\"" + std::string(ErrorText(*error)) + "\"";
}

void ErrorQueue::Push(Error error) {
    if (count_ == Capacity) {
        entries_[(first_ + Capacity - 1) % Capacity] = Error::QueueOverflow;
        return;
    }
    entries_[(first_ + count_) % Capacity] = error;
    ++count_;
}

std::optional<Error> ErrorQueue::Pop() {
    if (count_ == 0) {
        return std::nullopt;
    }
    const Error oldest = entries_[first_];
    first_ = (first_ + 1) % Capacity;
    --count_;
    return oldest;
}

} // namespace qv4130::scpi

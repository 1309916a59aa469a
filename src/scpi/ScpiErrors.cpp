#include "ScpiErrors.h"

namespace qv4130::scpi {

std::string_view ErrorText(ScpiError error) {
    switch (error) {
    case ScpiError::CommandError:
        return "Command error";
    case ScpiError::SyntaxError:
        return "Syntax error";
    case ScpiError::DataTypeError:
        return "Data type error";
    case ScpiError::UndefinedHeader:
        return "Undefined header";
    case ScpiError::HeaderSuffixOutOfRange:
        return "Header suffix out of range";
    case ScpiError::SettingsConflict:
        return "Settings conflict";
    case ScpiError::DataOutOfRange:
        return "Data out of range";
    case ScpiError::TooMuchData:
        return "Too much data";
    case ScpiError::QueueOverflow:
        break;
    }
    return "Queue overflow";
}

std::string FormatError(std::optional<ScpiError> error) {
    if (!error) {
        return "0,\"No error\"";
    }
    return std::to_string(static_cast<int>(*error)) + ",\"" + std::string(ErrorText(*error)) + "\"";
}

void ErrorQueue::Push(ScpiError error) {
    if (count_ == Capacity) {
        entries_[(first_ + Capacity - 1) % Capacity] = ScpiError::QueueOverflow;
        return;
    }
    entries_[(first_ + count_) % Capacity] = error;
    ++count_;
}

std::optional<ScpiError> ErrorQueue::Pop() {
    if (count_ == 0) {
        return std::nullopt;
    }
    const ScpiError oldest = entries_[first_];
    first_ = (first_ + 1) % Capacity;
    --count_;
    return oldest;
}

} // namespace qv4130::scpi

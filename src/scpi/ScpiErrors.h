#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv4130::scpi {

// The standard SCPI error numbers the instruments report.
enum class Error {
    CommandError = -100,
    SyntaxError = -102,
    DataTypeError = -104,
    ParameterNotAllowed = -108,
    MissingParameter = -109,
    UndefinedHeader = -113,
    HeaderSuffixOutOfRange = -114,
    TriggerIgnored = -211,
    InitIgnored = -213,
    TriggerDeadlock = -214,
    SettingsConflict = -221,
    DataOutOfRange = -222,
    TooMuchData = -223,
    DataStale = -230,
    QueueOverflow = -350,
};

// The standard text of an error: "Undefined header".
std::string_view ErrorText(Error error);

// What SYSTem:ERRor? answers: -113,"Undefined header", or 0,"No error" for none.
std::string FormatError(std::optional<Error> error);

// A client's error queue, oldest first. When it is full, the newest entry
// is replaced by -350 so a client learns that errors were lost.
class ErrorQueue {
public:
    static constexpr std::size_t Capacity = 16;

    void Push(Error error);
    // The oldest error, taken off the queue; nothing when it is empty.
    std::optional<Error> Pop();
    void Clear() { count_ = 0; }
    std::size_t Size() const { return count_; }

private:
    std::array<Error, Capacity> entries_{};
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

} // namespace qv4130::scpi

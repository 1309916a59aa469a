#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace qv4130 {

// Why a call failed, worded for the operator.
struct Failure {
    std::string reason;
};

// What a call that can fail gives back: its value, or why it has none. One
// shape for every fallible call, after C++23's std::expected, which C++20 and
// Debian 12's compilers lack. Result<> is a call with nothing to give back.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool Ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return Ok(); }
    T& operator*() { return std::get<T>(state_); }
    const T& operator*() const { return std::get<T>(state_); }
    T* operator->() { return &std::get<T>(state_); }
    const T* operator->() const { return &std::get<T>(state_); }
    const std::string& Error() const { return std::get<Failure>(state_).reason; }

private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure.reason)) {}

    bool Ok() const { return !failure_; }
    explicit operator bool() const { return Ok(); }
    const std::string& Error() const { return *failure_; }

private:
    std::optional<std::string> failure_;
};

} // namespace qv4130

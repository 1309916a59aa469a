#pragma once

#include "CommandParser.h"
#include "ScpiErrors.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qv4130::scpi {

// The bits of the IEEE 488.2 status byte and standard event status register,
// and of the SCPI status registers, that the instruments use.
namespace status_bit {
// Status byte.
inline constexpr std::uint8_t ErrorAvailable = 1 << 2;   // EAV: the error queue is not empty
inline constexpr std::uint8_t Questionable = 1 << 3;     // QUES summary
inline constexpr std::uint8_t MessageAvailable = 1 << 4; // MAV: replies wait in this line
inline constexpr std::uint8_t EventSummary = 1 << 5;     // ESB
inline constexpr std::uint8_t MasterSummary = 1 << 6;    // MSS (RQS on a serial poll)
inline constexpr std::uint8_t Operation = 1 << 7;        // OPER summary
// Standard event status register.
inline constexpr std::uint8_t OperationComplete = 1 << 0; // OPC
inline constexpr std::uint8_t QueryError = 1 << 2;        // QYE, errors -4xx
inline constexpr std::uint8_t DeviceError = 1 << 3;       // DDE, errors -3xx
inline constexpr std::uint8_t ExecutionError = 1 << 4;    // EXE, errors -2xx
inline constexpr std::uint8_t CommandError = 1 << 5;      // CME, errors -1xx
// STATus:OPERation's SWEeping: the board's test sweep ran (its condition lasts
// only while it runs).
inline constexpr std::uint16_t Sweeping = 1 << 3;
// STATus:QUEStionable's VOLTage: the board's outputs are not at their codes,
// its chip powered down.
inline constexpr std::uint16_t Voltage = 1 << 0;
} // namespace status_bit

// A SCPI status register: the event part latches what happened until read; its
// enabled bits make the summary bit in the status byte.
struct StatusRegister {
    std::uint16_t event = 0;
    std::uint16_t enable = 0;
    std::uint16_t condition = 0;

    std::uint16_t TakeEvent() {
        const std::uint16_t taken = event;
        event = 0;
        return taken;
    }
    bool Summary() const { return (event & enable) != 0; }
};

// The events of the one shared instrument that every client's status registers
// latch (the board's sweep, its chip powered down), whoever caused them: counted
// once by the interpreter, each session remembering the counts it has latched
// up to. A count rather than a list of sessions to latch into, so that a client
// that goes leaves nothing behind and a thousand clients cost nothing per event.
// Which event is which, and the bit it sets, is the instrument's CommandSet's.
inline constexpr std::size_t MaxSharedEvents = 4;
struct SharedEvents {
    std::array<std::uint64_t, MaxSharedEvents> counts{};
    std::uint64_t total = 0; // of every event: a session whose total is this one's has seen all

    void Count(std::size_t event) {
        ++counts[event];
        ++total;
    }
};

// The two SCPI status registers a shared event or condition shows in.
enum class RegisterName { Operation, Questionable };

// What the instrument shows now in the condition parts of those registers.
struct StatusConditions {
    std::uint16_t operation = 0;
    std::uint16_t questionable = 0;

    std::uint16_t Of(RegisterName name) const {
        return name == RegisterName::Operation ? operation : questionable;
    }
    bool operator==(const StatusConditions&) const = default;
};

// A shared event: the bit it sets in a register's event part.
struct SharedEvent {
    RegisterName reg = RegisterName::Operation;
    std::uint16_t bit = 0;
};

// The header path of compound commands: the levels of the last command's header
// but its last, as places in the line it came from (a path never outlives its line).
struct HeaderPath {
    struct Level {
        std::size_t start = 0;
        std::size_t size = 0;
        std::optional<std::int64_t> suffix;
    };
    std::array<Level, MaxHeaderElements> levels{};
    std::size_t length = 0;
};

// What IEEE 488.2 keeps per controller: each client of an instrument has its
// own, so one client's errors and status are never read or cleared by another.
// The instrument and its state stay shared by every client (the board: one
// chip, one port; the meter: one input, one reading memory).
struct Session {
    ErrorQueue errors;
    std::uint8_t eventStatus = 0;       // *ESR?
    std::uint8_t eventStatusEnable = 0; // *ESE
    std::uint8_t serviceEnable = 0;     // *SRE
    StatusRegister operation;
    StatusRegister questionable;
    SharedEvents latched; // the instrument's events already in this session's registers
    HeaderPath path;

    StatusRegister& Register(RegisterName name) {
        return name == RegisterName::Operation ? operation : questionable;
    }

    // Queues the error and sets its class's bit in the event status register
    // (and DDE when the queue was full: an error was lost).
    void Report(Error error) {
        const bool full = errors.Size() == ErrorQueue::Capacity;
        errors.Push(error);
        eventStatus |= EventBitOf(error) | (full ? status_bit::DeviceError : 0);
    }
    // The status byte with MSS, as *STB? reads it; `repliesWaiting`: MAV.
    std::uint8_t StatusByte(bool repliesWaiting) const {
        std::uint8_t byte = 0;
        byte |= errors.Size() > 0 ? status_bit::ErrorAvailable : 0;
        byte |= questionable.Summary() ? status_bit::Questionable : 0;
        byte |= repliesWaiting ? status_bit::MessageAvailable : 0;
        byte |= (eventStatus & eventStatusEnable) != 0 ? status_bit::EventSummary : 0;
        byte |= operation.Summary() ? status_bit::Operation : 0;
        return byte | ((byte & serviceEnable) != 0 ? status_bit::MasterSummary : 0);
    }
    // *CLS: the event registers and the error queue, not the enables.
    void ClearStatus() {
        errors.Clear();
        eventStatus = 0;
        operation.event = 0;
        questionable.event = 0;
    }

private:
    static std::uint8_t EventBitOf(Error error) {
        switch (-static_cast<int>(error) / 100) {
        case 1:
            return status_bit::CommandError;
        case 2:
            return status_bit::ExecutionError;
        case 3:
            return status_bit::DeviceError;
        default:
            return status_bit::QueryError;
        }
    }
};

} // namespace qv4130::scpi

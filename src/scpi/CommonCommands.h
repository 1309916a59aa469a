#pragma once

#include "CommandTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv4130::scpi {

// What every instrument on the engine answers alike, written once: IEEE 488.2's
// status commands and SCPI's SYSTem:ERRor and SYSTem:VERSion, over the client's
// Session. Each instrument's table takes these rows as they are (help and all)
// and adds its own *IDN, *RST, *TST and *OPC rows, which may share the handlers
// here.
namespace common {

using Result = std::optional<Error>;

template <typename Device> Result Reply(Call<Device>& call, std::string text) {
    call.replies.push_back(std::move(text));
    return std::nullopt;
}
template <typename Device> Result Reply(Call<Device>& call, std::int64_t number) {
    return Reply(call, std::to_string(number));
}

template <typename Device> std::uint8_t Byte(const Call<Device>& call) {
    return static_cast<std::uint8_t>(call.value.integer);
}

// Every command runs to its end before the next is read, so an operation is
// complete as soon as the command that asked for it is.
template <typename Device> Result ClearStatus(Call<Device>& call) {
    call.session.ClearStatus();
    return std::nullopt;
}
template <typename Device> Result SetEventEnable(Call<Device>& call) {
    call.session.eventStatusEnable = Byte(call);
    return std::nullopt;
}
template <typename Device> Result AskEventEnable(Call<Device>& call) {
    return Reply(call, call.session.eventStatusEnable);
}
template <typename Device> Result TakeEventStatus(Call<Device>& call) {
    const std::uint8_t events = call.session.eventStatus;
    call.session.eventStatus = 0;
    return Reply(call, events);
}
template <typename Device> Result OperationComplete(Call<Device>& call) {
    call.session.eventStatus |= status_bit::OperationComplete;
    return std::nullopt;
}
template <typename Device> Result AskOperationComplete(Call<Device>& call) {
    return Reply(call, "1");
}
template <typename Device> Result SetServiceEnable(Call<Device>& call) {
    call.session.serviceEnable = Byte(call) & ~status_bit::MasterSummary;
    return std::nullopt;
}
template <typename Device> Result AskServiceEnable(Call<Device>& call) {
    return Reply(call, call.session.serviceEnable);
}
template <typename Device> Result AskStatusByte(Call<Device>& call) {
    return Reply(call, call.session.StatusByte(!call.replies.empty()));
}
template <typename Device> Result Wait(Call<Device>&) {
    return std::nullopt;
}
template <typename Device> Result NextError(Call<Device>& call) {
    return Reply(call, FormatError(call.session.errors.Pop()));
}
template <typename Device> Result ErrorCount(Call<Device>& call) {
    return Reply(call, static_cast<std::int64_t>(call.session.errors.Size()));
}
template <typename Device> Result Version(Call<Device>& call) {
    return Reply(call, "1999.0");
}

inline constexpr ParameterForm Byte0To255 = Integer(0, 255, 0);

template <typename Device>
inline constexpr CommandRow<Device> ClearStatusRow{
    "*CLS", ClearStatus<Device>, {}, {}, "clear this client's error queue and event registers"};
template <typename Device>
inline constexpr CommandRow<Device> EventEnableRow{
    "*ESE", SetEventEnable<Device>, AskEventEnable<Device>, Byte0To255,
    "the standard event status enable: which event bits make ESB"};
template <typename Device>
inline constexpr CommandRow<Device> EventStatusRow{
    "*ESR",
    {},
    TakeEventStatus<Device>,
    {},
    "the standard event status register, then cleared: OPC 1, QYE 4, DDE 8, EXE 16, CME 32"};
template <typename Device>
inline constexpr CommandRow<Device> ServiceEnableRow{
    "*SRE", SetServiceEnable<Device>, AskServiceEnable<Device>, Byte0To255,
    "the service request enable: which status byte bits make MSS"};
template <typename Device>
inline constexpr CommandRow<Device> StatusByteRow{
    "*STB",
    {},
    AskStatusByte<Device>,
    {},
    "the status byte: EAV 4, QUES 8, MAV 16, ESB 32, MSS 64, OPER 128"};
template <typename Device>
inline constexpr CommandRow<Device> WaitRow{
    "*WAI", Wait<Device>, {}, {}, "nothing to wait for: every command ends before the next"};
template <typename Device>
inline constexpr CommandRow<Device> NextErrorRow{
    "SYSTem:ERRor[:NEXT]",
    {},
    NextError<Device>,
    {},
    "the oldest of up to 16 errors, or 0,\"No error\""};
template <typename Device>
inline constexpr CommandRow<Device> ErrorCountRow{
    "SYSTem:ERRor:COUNt", {}, ErrorCount<Device>, {}, "how many errors wait in the queue"};
template <typename Device>
inline constexpr CommandRow<Device> VersionRow{
    "SYSTem:VERSion", {}, Version<Device>, {}, "the SCPI version this instrument follows: 1999.0"};

} // namespace common
} // namespace qv4130::scpi

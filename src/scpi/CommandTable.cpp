#include "CommandTable.h"

#include "ParameterReading.h"
#include "host/AppIdentity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace qv4130::scpi {

namespace {

using Result = std::optional<Error>;

Result Reply(Call& call, std::string text) {
    call.replies.push_back(std::move(text));
    return std::nullopt;
}
Result Reply(Call& call, std::int64_t number) {
    return Reply(call, std::to_string(number));
}

Result Refusal(ActionResult result) {
    switch (result) {
    case ActionResult::Done:
        return std::nullopt;
    case ActionResult::OutOfRange:
        return Error::DataOutOfRange;
    case ActionResult::PoweredDown:
        break;
    }
    return Error::SettingsConflict;
}

// A port the menu doesn't name (a card elsewhere in the I/O space) as #H<address>.
std::string PortReply(std::uint16_t address) {
    if (const auto item = PortMenuItemAt(address)) {
        return std::string(PortMenuName(*item));
    }
    char text[8];
    std::snprintf(text, sizeof text, "#H%X", static_cast<unsigned>(address));
    return text;
}

std::uint8_t Byte(const Call& call) {
    return static_cast<std::uint8_t>(call.value.integer);
}

// IEEE 488.2 common commands. Every command runs to its end before the next is
// read, so an operation is complete as soon as the command that asked for it is.
Result ClearStatus(Call& call) {
    call.session.ClearStatus();
    return std::nullopt;
}
Result SetEventEnable(Call& call) {
    call.session.eventStatusEnable = Byte(call);
    return std::nullopt;
}
Result AskEventEnable(Call& call) {
    return Reply(call, call.session.eventStatusEnable);
}
Result TakeEventStatus(Call& call) {
    const std::uint8_t events = call.session.eventStatus;
    call.session.eventStatus = 0;
    return Reply(call, events);
}
Result Identify(Call& call) {
    return Reply(call, IdentityReply());
}
Result OperationComplete(Call& call) {
    call.session.eventStatus |= status_bit::OperationComplete;
    return std::nullopt;
}
Result AskOperationComplete(Call& call) {
    return Reply(call, "1");
}
Result Reset(Call& call) {
    call.instrument.Reset();
    return std::nullopt;
}
Result SetServiceEnable(Call& call) {
    call.session.serviceEnable = Byte(call) & ~status_bit::MasterSummary;
    return std::nullopt;
}
Result AskServiceEnable(Call& call) {
    return Reply(call, call.session.serviceEnable);
}
Result AskStatusByte(Call& call) {
    return Reply(call, call.session.StatusByte(!call.replies.empty()));
}
Result SelfTest(Call& call) {
    return Reply(call, call.instrument.SelfTest());
}
Result Wait(Call&) {
    return std::nullopt;
}

// The board.
Result SetCode(Call& call) {
    return Refusal(call.instrument.WriteCode(call.suffix, call.value.integer));
}
Result AskCode(Call& call) {
    return Reply(call, call.instrument.Code(call.suffix));
}
Result Step(Call& call) {
    return Refusal(call.instrument.Step(call.suffix, call.value.integer));
}
// Volts: a code is code/4096 of the reference.
Limits VoltageLimits(const Board& instrument) {
    return {0, instrument.ReferenceVolts() * FullScaleCode / CodeSteps, 0};
}
Result SetVoltage(Call& call) {
    const long code = std::lround(call.value.real / call.instrument.ReferenceVolts() * CodeSteps);
    return Refusal(
        call.instrument.WriteCode(call.suffix, std::clamp(code, 0L, long{FullScaleCode})));
}
Result AskVoltage(Call& call) {
    const int code = call.instrument.Code(call.suffix);
    // An unknown code has no voltage: SCPI's not-a-number.
    return Reply(call, code == Board::UnknownCode
                           ? "9.91E+37"
                           : FormatReal(code * call.instrument.ReferenceVolts() / CodeSteps));
}
Result SetReference(Call& call) {
    call.instrument.SetReferenceVolts(call.value.real);
    return std::nullopt;
}
Result AskReference(Call& call) {
    return Reply(call, FormatReal(call.instrument.ReferenceVolts()));
}
Result SetOutput(Call& call) {
    call.instrument.SetOutput(call.value.integer != 0);
    return std::nullopt;
}
Result AskOutput(Call& call) {
    return Reply(call, call.instrument.Output() ? 1 : 0);
}
Result Sweep(Call& call) {
    call.instrument.Sweep();
    // Every client's operation event register latches it before its next command.
    ++call.events.sweeps;
    return std::nullopt;
}
Result SelectPort(Call& call) {
    call.instrument.SelectPort(call.value.port);
    return std::nullopt;
}
Result AskPort(Call& call) {
    return Reply(call, PortReply(call.instrument.PortAddress()));
}

// SCPI's system and status subsystems.
Result NextError(Call& call) {
    return Reply(call, FormatError(call.session.errors.Pop()));
}
Result ErrorCount(Call& call) {
    return Reply(call, static_cast<std::int64_t>(call.session.errors.Size()));
}
Result Version(Call& call) {
    return Reply(call, "1999.0");
}
template <StatusRegister Session::*Register> Result TakeEvent(Call& call) {
    return Reply(call, (call.session.*Register).TakeEvent());
}
template <StatusRegister Session::*Register> Result AskCondition(Call& call) {
    return Reply(call, (call.session.*Register).condition);
}
template <StatusRegister Session::*Register> Result SetEnable(Call& call) {
    (call.session.*Register).enable = static_cast<std::uint16_t>(call.value.integer);
    return std::nullopt;
}
template <StatusRegister Session::*Register> Result AskEnable(Call& call) {
    return Reply(call, (call.session.*Register).enable);
}
Result PresetStatus(Call& call) {
    call.session.operation.enable = 0;
    call.session.questionable.enable = 0;
    return std::nullopt;
}

constexpr ParameterRule Byte0To255 = Integer(0, 255, 0);
// The register's 15 bits; the 16th is never set, so a reply is never negative as a 16-bit integer.
constexpr ParameterRule Enable15Bits = Integer(0, 32767, 0);
constexpr auto Operation = &Session::operation;
constexpr auto Questionable = &Session::questionable;

constexpr CommandRow Rows[] = {
    {"*CLS", ClearStatus, {}, {}, "clear this client's error queue and event registers"},
    {"*ESE", SetEventEnable, AskEventEnable, Byte0To255,
     "the standard event status enable: which event bits make ESB"},
    {"*ESR",
     {},
     TakeEventStatus,
     {},
     "the standard event status register, then cleared: OPC 1, QYE 4, DDE 8, EXE 16, CME 32"},
    {"*IDN", {}, Identify, {}, "maker, model, serial (0), version"},
    {"*OPC",
     OperationComplete,
     AskOperationComplete,
     {},
     "OPC in the event register; the query answers 1 once every word before it is out"},
    {"*RST", Reset, {}, {}, "the reset pulse: every channel to 0 on the chip"},
    {"*SRE", SetServiceEnable, AskServiceEnable, Byte0To255,
     "the service request enable: which status byte bits make MSS"},
    {"*STB",
     {},
     AskStatusByte,
     {},
     "the status byte: EAV 4, QUES 8, MAV 16, ESB 32, MSS 64, OPER 128"},
    {"*TST",
     {},
     SelfTest,
     {},
     "self-test, 0 passed: 1 the port's data lines don't drive, 2 the chip read back wrong, 4 "
     "the chip is powered down"},
    {"*WAI", Wait, {}, {}, "nothing to wait for: every command ends before the next"},
    {"SOURce:CHANnel#:CODE", SetCode, AskCode, Integer(0, FullScaleCode, 0),
     "a mode-0 word to channel n (0-15); the query gives the code as this process knows it: "
     "the chip's own on the virtual board, otherwise what the words sent to the board from "
     "any window or client made of it (steps as the chip takes them, 0 after a reset), -1 "
     "while unknown"},
    {"SOURce:CHANnel#:STEP",
     Step,
     {},
     Integer(-MaxStep, MaxStep, 1),
     "a step word: up (mode 1) or down (mode 2)"},
    {"SOURce:CHANnel#:VOLTage", SetVoltage, AskVoltage, Real(VoltageLimits),
     "the code nearest that voltage, code/4096 of the reference, up to the full-scale code's "
     "(-222 beyond); the query gives the code's voltage, 9.91E+37 while the code is unknown"},
    {"SOURce:VREFerence", SetReference, AskReference,
     Real(reference_volts::Min, reference_volts::Max, reference_volts::Default),
     "the board's reference voltage that VOLTage reckons with, 0.5 to 5 V (2.5 at start); it "
     "changes no output"},
    {"OUTPut[:STATe]",
     SetOutput,
     AskOutput,
     {ValueKind::Boolean},
     "power up (byte 20) or down (28); 1 at start. While powered down CODE and STEP are "
     "refused (-221)"},
    {"DIAGnostic:SWEep", Sweep, {}, {}, "the test sweep: 3072 to channels 0 to 15 in turn"},
    {"SYSTem:PORT",
     SelectPort,
     AskPort,
     {ValueKind::Port},
     "another port, as the menu picks it; its codes are unknown until sent"},
    {"SYSTem:ERRor[:NEXT]", {}, NextError, {}, "the oldest of up to 16 errors, or 0,\"No error\""},
    {"SYSTem:ERRor:COUNt", {}, ErrorCount, {}, "how many errors wait in the queue"},
    {"SYSTem:VERSion", {}, Version, {}, "the SCPI version this instrument follows: 1999.0"},
    {"STATus:OPERation[:EVENt]",
     {},
     TakeEvent<Operation>,
     {},
     "the operation event register, then cleared: 8 a test sweep ran"},
    {"STATus:OPERation:CONDition",
     {},
     AskCondition<Operation>,
     {},
     "the operation condition: 0, as every command ends before the next"},
    {"STATus:OPERation:ENABle", SetEnable<Operation>, AskEnable<Operation>, Enable15Bits,
     "which operation events make OPER in the status byte"},
    {"STATus:QUEStionable[:EVENt]",
     {},
     TakeEvent<Questionable>,
     {},
     "the questionable event register, then cleared: 1 the chip was powered down"},
    {"STATus:QUEStionable:CONDition",
     {},
     AskCondition<Questionable>,
     {},
     "the questionable condition: 1 while the chip is powered down"},
    {"STATus:QUEStionable:ENABle", SetEnable<Questionable>, AskEnable<Questionable>, Enable15Bits,
     "which questionable events make QUES in the status byte"},
    {"STATus:PRESet", PresetStatus, {}, {}, "both enables to 0"},
};

// The rows of common commands or of the others, apart: a header is looked up
// among its own kind only.
template <bool Common> constexpr auto RowsOfKind() {
    constexpr std::size_t Count = std::ranges::count_if(
        Rows, [](const CommandRow& row) { return row.pattern.common == Common; });
    std::array<const CommandRow*, Count> kind{};
    std::size_t next = 0;
    for (const CommandRow& row : Rows) {
        if (row.pattern.common == Common) {
            kind[next++] = &row;
        }
    }
    return kind;
}
constexpr auto CommonRows = RowsOfKind<true>();
constexpr auto SubsystemRows = RowsOfKind<false>();

} // namespace

std::span<const CommandRow> CommandTable() {
    return Rows;
}

std::span<const CommandRow* const> CommandsOfKind(bool common) {
    if (common) {
        return CommonRows;
    }
    return SubsystemRows;
}

Limits LimitsNow(const ParameterRule& parameter, const Board& instrument) {
    return parameter.limitsNow ? parameter.limitsNow(instrument) : parameter.limits;
}

std::string IdentityReply() {
    return std::string(identity::CompanyName) + ",QV4130 evaluation board,0," + identity::Version;
}

} // namespace qv4130::scpi

#include "BoardCommands.h"

#include "CommonCommands.h"
#include "host/AppIdentity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace qv4130::scpi {

namespace {

using namespace common;
using Call = scpi::Call<Board>;

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

// IEEE 488.2 common commands the board answers its own way.
Result Identify(Call& call) {
    return Reply(call, std::string(identity::CompanyName) + ",QV4130 evaluation board,0," +
                           identity::Version);
}
Result Reset(Call& call) {
    call.instrument.Reset();
    return std::nullopt;
}
Result SelfTest(Call& call) {
    return Reply(call, call.instrument.SelfTest());
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
// The events every client's registers latch, and the condition that makes one.
enum BoardEvent : std::size_t { SweepRan, PoweredDown };
constexpr SharedEvent BoardEvents[] = {
    {RegisterName::Operation, status_bit::Sweeping},
    {RegisterName::Questionable, status_bit::Voltage},
};
static_assert(std::size(BoardEvents) <= MaxSharedEvents);
StatusConditions Conditions(const Board& instrument) {
    return {0, instrument.Output() ? std::uint16_t{0} : status_bit::Voltage};
}

Result Sweep(Call& call) {
    call.instrument.Sweep();
    // Every client's operation event register latches it before its next command.
    call.events.Count(SweepRan);
    return std::nullopt;
}
Result SelectPort(Call& call) {
    call.instrument.SelectPort(PortMenuItems[static_cast<std::size_t>(call.value.integer)]);
    return std::nullopt;
}
Result AskPort(Call& call) {
    return Reply(call, PortReply(call.instrument.PortAddress()));
}

// SCPI's status subsystem.
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

// The register's 15 bits; the 16th is never set, so a reply is never negative as a 16-bit integer.
constexpr ParameterForm Enable15Bits = Integer(0, 32767, 0);
constexpr auto PortNames = [] {
    std::array<std::string_view, PortMenuItems.size()> names{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = PortMenuName(PortMenuItems[i]);
    }
    return names;
}();
constexpr auto Operation = &Session::operation;
constexpr auto Questionable = &Session::questionable;

constexpr CommandRow<Board> Rows[] = {
    ClearStatusRow<Board>,
    EventEnableRow<Board>,
    EventStatusRow<Board>,
    {"*IDN", {}, Identify, {}, "maker, model, serial (0), version"},
    {"*OPC",
     OperationComplete<Board>,
     AskOperationComplete<Board>,
     {},
     "OPC in the event register; the query answers 1 once every word before it is out"},
    {"*RST", Reset, {}, {}, "the reset pulse: every channel to 0 on the chip"},
    ServiceEnableRow<Board>,
    StatusByteRow<Board>,
    {"*TST",
     {},
     SelfTest,
     {},
     "self-test, 0 passed: 1 the port's data lines don't drive, 2 the chip read back wrong, 4 "
     "the chip is powered down"},
    WaitRow<Board>,
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
    {"OUTPut[:STATe]", SetOutput, AskOutput, Boolean(),
     "power up (byte 20) or down (28); 1 at start. While powered down CODE and STEP are "
     "refused (-221)"},
    {"DIAGnostic:SWEep", Sweep, {}, {}, "the test sweep: 3072 to channels 0 to 15 in turn"},
    {"SYSTem:PORT", SelectPort, AskPort, Choice(PortNames),
     "another port, as the menu picks it; its codes are unknown until sent"},
    NextErrorRow<Board>,
    ErrorCountRow<Board>,
    VersionRow<Board>,
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

constexpr auto CommonRows = RowsOfKind<Rows, true>();
constexpr auto SubsystemRows = RowsOfKind<Rows, false>();
constexpr CommandSet<Board> Commands{Rows,         CommonRows,  SubsystemRows,
                                     ChannelCount, BoardEvents, Conditions};

} // namespace

template <> const CommandSet<Board>& CommandsOf<Board>() {
    return Commands;
}

std::span<const CommandRow<Board>> CommandTable() {
    return Rows;
}

} // namespace qv4130::scpi

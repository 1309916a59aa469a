#include "MeterCommands.h"

#include "scpi/CommandHelp.h"
#include "scpi/CommonCommands.h"

#include <cstdio>

namespace qv4130::scpi {

namespace {

using namespace common;
using Call = scpi::Call<SimulatedDmm>;
using Source = SimulatedDmm::TriggerSource;

// Settings as a 34401A answers them: "+1.000000E+01".
std::string Scientific(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.6E", value);
    return text;
}

// IEEE 488.2's common commands the meter answers its own way.
Result Identify(Call& call) {
    return Reply(call, std::string(SimulatedDmm::Identity));
}
Result Options(Call& call) {
    return Reply(call, "0");
}
Result Reset(Call& call) {
    call.instrument.Reset();
    return std::nullopt;
}
Result SelfTest(Call& call) {
    return Reply(call, "0");
}
Result BusTrigger(Call& call) {
    return call.instrument.Trigger() ? std::nullopt : std::optional(Error::TriggerIgnored);
}

// CONFigure and MEASure: [range|AUTO|MIN|MAX|DEF[,resolution|MIN|MAX|DEF]];
// no range, AUTO or DEF autorange, no resolution or DEF is 10 NPLC's.
Result Configure(Call& call) {
    SimulatedDmm& dmm = call.instrument;
    const Value& range = call.value;
    const Value& resolution = call.second;
    const bool autorange =
        !range.given || range.named == Named::Own || range.named == Named::Default;
    const std::optional<double> rangeVolts = autorange ? std::nullopt : std::optional(range.real);
    double nplc = SimulatedDmm::DefaultNplc;
    if (resolution.named == Named::Min) {
        nplc = SimulatedDmm::IntegrationNplc.back();
    } else if (resolution.named == Named::Max) {
        nplc = SimulatedDmm::IntegrationNplc.front();
    } else if (resolution.given && resolution.named == Named::None) {
        const auto fits = SimulatedDmm::NplcFor(resolution.real, dmm.RangeFor(rangeVolts));
        if (!fits) {
            return Error::DataOutOfRange;
        }
        nplc = *fits;
    }
    dmm.Configure(rangeVolts, nplc);
    return std::nullopt;
}
Result AskConfiguration(Call& call) {
    const SimulatedDmm& dmm = call.instrument;
    return Reply(call,
                 "\"VOLT " + Scientific(dmm.Range()) + "," + Scientific(dmm.Resolution()) + "\"");
}

// The trigger model.
Result Initiate(Call& call) {
    return call.instrument.Initiate() ? std::nullopt : std::optional(Error::InitIgnored);
}
Result Fetch(Call& call) {
    const SimulatedDmm& dmm = call.instrument;
    if (dmm.WaitingForTrigger() || dmm.Readings().empty()) {
        return Error::DataStale;
    }
    std::string readings;
    for (const double volts : dmm.Readings()) {
        readings.append(readings.empty() ? "" : ",").append(SimulatedDmm::FormatReading(volts));
    }
    return Reply(call, std::move(readings));
}
// INITiate and FETCh?; a bus trigger can't come while the query waits for it.
Result Read(Call& call) {
    if (call.instrument.Source() == Source::Bus) {
        return Error::TriggerDeadlock;
    }
    if (const auto error = Initiate(call)) {
        return error;
    }
    return Fetch(call);
}
Result Measure(Call& call) {
    if (const auto error = Configure(call)) {
        return error;
    }
    return Read(call);
}
constexpr std::string_view TriggerSources[] = {"IMMediate", "BUS"};
Result SetSource(Call& call) {
    call.instrument.SetSource(call.value.integer == 0 ? Source::Immediate : Source::Bus);
    return std::nullopt;
}
Result AskSource(Call& call) {
    return Reply(call, call.instrument.Source() == Source::Immediate ? "IMM" : "BUS");
}
Result SetSamples(Call& call) {
    call.instrument.SetSampleCount(static_cast<std::size_t>(call.value.integer));
    return std::nullopt;
}
Result AskSamples(Call& call) {
    return Reply(call, static_cast<std::int64_t>(call.instrument.SampleCount()));
}

// SENSe's DC volts settings.
Result SetRange(Call& call) {
    call.instrument.SetRange(call.value.real);
    return std::nullopt;
}
Result AskRange(Call& call) {
    return Reply(call, Scientific(call.instrument.Range()));
}
Result SetAutoRange(Call& call) {
    call.instrument.SetAutoRange(call.value.integer != 0);
    return std::nullopt;
}
Result AskAutoRange(Call& call) {
    return Reply(call, call.instrument.AutoRange() ? 1 : 0);
}
Result SetNplc(Call& call) {
    call.instrument.SetNplc(call.value.real);
    return std::nullopt;
}
Result AskNplc(Call& call) {
    return Reply(call, Scientific(call.instrument.Nplc()));
}
// The resolution's limits: those of the longest and the shortest integration
// time on the range in use, 10 NPLC's the default.
Limits ResolutionLimits(const SimulatedDmm& dmm) {
    return {SimulatedDmm::ResolutionOfRange.back() * dmm.Range(),
            SimulatedDmm::ResolutionOfRange.front() * dmm.Range(), 1e-6 * dmm.Range()};
}
Result SetResolution(Call& call) {
    SimulatedDmm& dmm = call.instrument;
    dmm.SetNplc(SimulatedDmm::NplcFor(call.value.real, dmm.Range()).value_or(dmm.Nplc()));
    return std::nullopt;
}
Result AskResolution(Call& call) {
    return Reply(call, Scientific(call.instrument.Resolution()));
}

// The input switch.
Result Close(Call& call) {
    if (call.value.channels.count != 1) {
        return Error::SettingsConflict;
    }
    call.instrument.Route(call.value.channels.channels[0]);
    return std::nullopt;
}
Result AskClosed(Call& call) {
    const int channel = call.instrument.Channel();
    if (!call.value.given) {
        return Reply(call, "(@" + std::to_string(channel) + ")");
    }
    std::string closed;
    for (std::size_t i = 0; i < call.value.channels.count; ++i) {
        closed.append(i == 0 ? "" : ",")
            .append(call.value.channels.channels[i] == channel ? "1" : "0");
    }
    return Reply(call, std::move(closed));
}

constexpr std::string_view AutoName[] = {"AUTO"};
constexpr ParameterForm RangeOrAuto =
    RealOr(SimulatedDmm::Ranges.front(), SimulatedDmm::Ranges.back(), 10.0, AutoName);
constexpr ParameterForm AnyResolution = Real(0, SimulatedDmm::Ranges.back(), 0);

constexpr CommandRow<SimulatedDmm> Rows[] = {
    ClearStatusRow<SimulatedDmm>,
    EventEnableRow<SimulatedDmm>,
    EventStatusRow<SimulatedDmm>,
    {"*IDN", {}, Identify, {}, "QV4130,Simulated DMM,0,1.0"},
    {"*OPC",
     OperationComplete<SimulatedDmm>,
     AskOperationComplete<SimulatedDmm>,
     {},
     "OPC in the event register; the query answers 1 at once, every reading taken"},
    {"*OPT", {}, Options, {}, "the options fitted: 0, none"},
    {"*RST",
     Reset,
     {},
     {},
     "DC volts, autorange, 10 NPLC, immediate trigger, one sample, no readings kept; the input "
     "switch stays where it is, as wiring does"},
    ServiceEnableRow<SimulatedDmm>,
    StatusByteRow<SimulatedDmm>,
    {"*TRG",
     BusTrigger,
     {},
     {},
     "the bus trigger: takes the readings INITiate waits for (-211 while none waits)"},
    {"*TST", {}, SelfTest, {}, "self-test: 0, passed"},
    WaitRow<SimulatedDmm>,
    {"CONFigure[:VOLTage][:DC]", Configure, AskConfiguration, Optional(RangeOrAuto, AnyResolution),
     "DC volts on the range that holds the figure (0.1, 1, 10, 100 or 1000 V; AUTO or DEF: "
     "autorange) with the integration time that gives the resolution (DEF: 10 NPLC); one "
     "immediate sample, no readings kept. The query: \"VOLT range,resolution\""},
    {"MEASure[:VOLTage][:DC]",
     {},
     Measure,
     ForQuery(Optional(RangeOrAuto, AnyResolution)),
     "CONFigure as asked, then READ?"},
    {"READ",
     {},
     Read,
     {},
     "INITiate, then FETCh?; -214 with the bus trigger, which can't come while the query waits"},
    {"INITiate[:IMMediate]",
     Initiate,
     {},
     {},
     "a measurement: SAMPle:COUNt readings, at once with the immediate trigger, at *TRG with the "
     "bus trigger (-213 while one waits)"},
    {"FETCh",
     {},
     Fetch,
     {},
     "the last measurement's readings, \"+1.234567890E-01\", ',' between them (-230 before one, "
     "and while one waits for its trigger)"},
    {"TRIGger[:SEQuence]:SOURce", SetSource, AskSource, Choice(TriggerSources),
     "what starts an initiated measurement: IMMediate at once, BUS at *TRG"},
    {"SAMPle:COUNt", SetSamples, AskSamples, Integer(1, SimulatedDmm::MaxSamples, 1),
     "readings per measurement, up to the 512 the reading memory holds"},
    {"[:SENSe]:VOLTage[:DC]:RANGe", SetRange, AskRange,
     Real(SimulatedDmm::Ranges.front(), SimulatedDmm::Ranges.back(), 10.0),
     "the range that holds the figure, autorange off; the query gives the range in use"},
    {"[:SENSe]:VOLTage[:DC]:RANGe:AUTO", SetAutoRange, AskAutoRange, Boolean(),
     "autorange: the smallest range that holds the input; off keeps the range in use"},
    {"[:SENSe]:VOLTage[:DC]:NPLCycles", SetNplc, AskNplc,
     Real(SimulatedDmm::IntegrationNplc.front(), SimulatedDmm::IntegrationNplc.back(),
          SimulatedDmm::DefaultNplc),
     "the integration time in power-line cycles: 0.02, 0.2, 1, 10 or 100, the next up from the "
     "figure"},
    {"[:SENSe]:VOLTage[:DC]:RESolution", SetResolution, AskResolution, Real(ResolutionLimits),
     "the integration time that gives this resolution on the range in use: 1E-4 (0.02 NPLC) to "
     "3E-7 (100 NPLC) of it"},
    {"ROUTe:CLOSe", Close, AskClosed, ForQuery(Channels(0, ChannelCount - 1)),
     "switches the input to the channel's output, one channel; the query gives it, or for each "
     "channel asked 1 if it is the one"},
    NextErrorRow<SimulatedDmm>,
    ErrorCountRow<SimulatedDmm>,
    VersionRow<SimulatedDmm>,
};

constexpr auto CommonRows = RowsOfKind<Rows, true>();
constexpr auto SubsystemRows = RowsOfKind<Rows, false>();
constexpr CommandSet<SimulatedDmm> Commands{Rows, CommonRows, SubsystemRows, 0,
                                            {},   nullptr,    Scientific};

} // namespace

template <> const CommandSet<SimulatedDmm>& CommandsOf<SimulatedDmm>() {
    return Commands;
}

std::string MeterCommandListMarkdown() {
    return CommandListMarkdown(HelpEntries<SimulatedDmm>(Rows));
}

} // namespace qv4130::scpi

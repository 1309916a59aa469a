#include "CharacteriseOptions.h"

#include "characterise/MeterAddress.h"
#include "qv4130/PlainText.h"

#include <charconv>
#include <string_view>

namespace qv4130::ctl {

namespace {

using options::Mistake;
using Options = CharacteriseOptions;

// What bench DMMs take: their DC ranges run from 100 mV to 1000 V, their
// integration times from a few thousandths of a power-line cycle to a hundred or so.
constexpr double MinRangeVolts = 0.001;
constexpr double MaxRangeVolts = 1000.0;
constexpr double MinNplc = 0.0001;
constexpr double MaxNplc = 1000.0;

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// A whole number into `into`; "takes `what`" when the value is none.
Mistake Whole(int& into, std::string_view value, std::string_view what) {
    const auto number = text::ParseWhole<int>(value, 10);
    if (!number) {
        return std::string("takes ").append(what);
    }
    into = *number;
    return std::nullopt;
}

// A number a meter or the ideal can take: "1e-300" or "1e308" would be sent on
// to the meter as they are, or make every figure NaN.
Mistake Within(std::optional<double>& into, std::string_view value, double low, double high,
               const std::string& what) {
    into = text::ParsePositive(value);
    if (into && *into >= low && *into <= high) {
        return std::nullopt;
    }
    into.reset();
    return "takes " + what;
}

Mistake FileName(std::string& into, std::string_view value) {
    into = std::string(value);
    return value.empty() ? Mistake("takes a file name") : std::nullopt;
}

constexpr options::Option<Options> Declared[] = {
    {{.name = "channel",
      .value = "N",
      .help = "The channel to measure, 0 to 15.",
      .required = true},
     [](Options& o, std::string_view v) { return Whole(o.run.channel, v, "a channel 0-15"); }},
    {{.name = "csv",
      .value = "FILE",
      .help = "Where every measured code goes: code, volts, error, end-point and best-fit INL, "
              "DNL.",
      .required = true},
     [](Options& o, std::string_view v) { return FileName(o.csvPath, v); }},
    {{.name = "meter",
      .value = "ADDR",
      .help = "A SCPI DMM on the output: HOST[:PORT] (port 5025 unless given) or /dev/usbtmcN. "
              "Without it, on the virtual board, its simulated meter."},
     [](Options& o, std::string_view v) -> Mistake {
         if (!characterise::ParseMeterAddress(std::string(v))) {
             return std::string("takes ").append(characterise::MeterAddressSyntax);
         }
         o.meter = std::string(v);
         return std::nullopt;
     }},
    {{.name = "from", .value = "C", .help = "The first code (0)."},
     [](Options& o, std::string_view v) { return Whole(o.run.from, v, "a code 0-4095"); }},
    {{.name = "to", .value = "C", .help = "The last code, either way, always measured (4095)."},
     [](Options& o, std::string_view v) { return Whole(o.run.to, v, "a code 0-4095"); }},
    {{.name = "step", .value = "S", .help = "The codes' step (1)."},
     [](Options& o, std::string_view v) {
         return Whole(o.run.step, v, "a step of 1 or more codes");
     }},
    {{.name = "settle", .value = "MS", .help = "The wait after each word, up to 60000 (0)."},
     [](Options& o, std::string_view v) {
         int milliseconds = 0;
         auto mistake = Whole(milliseconds, v, "milliseconds");
         o.run.settle = std::chrono::milliseconds(milliseconds);
         return mistake;
     }},
    {{.name = "average", .value = "K", .help = "Readings per code, averaged, up to 1000 (1)."},
     [](Options& o, std::string_view v) { return Whole(o.run.average, v, "a count of readings"); }},
    {{.name = "ideal-vref",
      .value = "V",
      .help = "The reference of the ideal transfer, code/4096 x V, 0.5 to 5 V; unless given, the "
              "board's: 2.5, the virtual board's --vref, or a served board's SOUR:VREF?."},
     [](Options& o, std::string_view v) {
         return Within(o.idealVref, v, reference_volts::Min, reference_volts::Max,
                       "the reference in volts, " + Number(reference_volts::Min) + " V to " +
                           Number(reference_volts::Max) + " V");
     }},
    {{.name = "vref", .value = "V", .hidden = true},
     [](Options&, std::string_view) -> Mistake {
         return "of characterise is now --ideal-vref, the ideal line's reference; --vref before "
                "the commands is the virtual board's";
     }},
    {{.name = "end-code",
      .value = "C",
      .help = "The code the channel is left at (the one it had)."},
     [](Options& o, std::string_view v) {
         int code = 0;
         auto mistake = Whole(code, v, "a code 0-4095");
         o.run.endCode = code;
         return mistake;
     }},
    {{.name = "range", .value = "V", .help = "The meter's DC range, 0.001 to 1000 V (its own)."},
     [](Options& o, std::string_view v) {
         return Within(o.rangeVolts, v, MinRangeVolts, MaxRangeVolts,
                       "a DC range in volts, " + Number(MinRangeVolts) + " to " +
                           Number(MaxRangeVolts));
     }},
    {{.name = "nplc",
      .value = "N",
      .help = "The meter's integration time in power-line cycles, 0.0001 to 1000 (its own)."},
     [](Options& o, std::string_view v) {
         return Within(o.nplc, v, MinNplc, MaxNplc,
                       "power-line cycles, " + Number(MinNplc) + " to " + Number(MaxNplc));
     }},
    {{.name = "meas", .help = "Read with MEAS:VOLT:DC? instead of READ?."},
     [](Options& o, std::string_view) -> Mistake {
         o.measureEachReading = true;
         return std::nullopt;
     }},
    {{.name = "timeout", .value = "MS", .help = "How long the meter may take to answer (5000)."},
     [](Options& o, std::string_view v) -> Mistake {
         int milliseconds = 0;
         if (auto mistake = Whole(milliseconds, v, "milliseconds")) {
             return mistake;
         }
         o.timeout = std::chrono::milliseconds(milliseconds);
         return o.timeout.count() > 0 ? std::nullopt : Mistake("takes milliseconds above 0");
     }},
    {{.name = "png",
      .value = "FILE",
      .help = "The output, INL and DNL plots of qv4130's Characterise window as a PNG image too."},
     [](Options& o, std::string_view v) { return FileName(o.pngPath.emplace(), v); }},
};

} // namespace

std::span<const options::Option<CharacteriseOptions>> CharacteriseOptionList() {
    return Declared;
}

Result<> CheckCharacteriseOptions(const CharacteriseOptions& options) {
    if (const Result<> valid = characterise::CheckSettings(options.run); !valid) {
        return Failure{"characterise: " + valid.Error()};
    }
    return {};
}

} // namespace qv4130::ctl

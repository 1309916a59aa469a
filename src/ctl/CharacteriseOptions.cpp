#include "CharacteriseOptions.h"

#include "characterise/MeterAddress.h"
#include "text/PlainText.h"

#include <charconv>
#include <string_view>

namespace qv4130::ctl {

namespace {

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

std::optional<int> Whole(const std::string& text) {
    return text::ParseWhole<int>(text, 10);
}

using Result = std::variant<CharacteriseOptions, std::string>;

// One option's value into the options; a reason when it does not fit.
std::optional<std::string> Take(CharacteriseOptions& o, std::string_view option,
                                const std::string& value) {
    auto whole = [&](int& into, const char* what) -> std::optional<std::string> {
        const auto number = Whole(value);
        if (!number) {
            return std::string(option) + " takes " + what;
        }
        into = *number;
        return std::nullopt;
    };
    // A number a meter or the ideal can take: "1e-300" or "1e308" would be
    // sent on to the meter as they are, or make every figure NaN.
    auto within = [&](std::optional<double>& into, double low, double high,
                      const std::string& reason) -> std::optional<std::string> {
        into = text::ParsePositive(value);
        if (into && *into >= low && *into <= high) {
            return std::nullopt;
        }
        into.reset();
        return std::string(option) + " takes " + reason;
    };
    if (option == "--meter") {
        if (!characterise::ParseMeterAddress(value)) {
            return "--meter takes HOST[:PORT] or /dev/usbtmcN";
        }
        o.meter = value;
    } else if (option == "--channel") {
        return whole(o.run.channel, "a channel 0-15");
    } else if (option == "--from") {
        return whole(o.run.from, "a code 0-4095");
    } else if (option == "--to") {
        return whole(o.run.to, "a code 0-4095");
    } else if (option == "--step") {
        return whole(o.run.step, "a step of 1 or more codes");
    } else if (option == "--end-code") {
        int code = 0;
        auto error = whole(code, "a code 0-4095");
        o.run.endCode = code;
        return error;
    } else if (option == "--settle") {
        int milliseconds = 0;
        auto error = whole(milliseconds, "milliseconds");
        o.run.settle = std::chrono::milliseconds(milliseconds);
        return error;
    } else if (option == "--average") {
        return whole(o.run.average, "a count of readings");
    } else if (option == "--timeout") {
        int milliseconds = 0;
        auto error = whole(milliseconds, "milliseconds");
        o.timeout = std::chrono::milliseconds(milliseconds);
        if (!error && o.timeout.count() <= 0) {
            return "--timeout takes milliseconds above 0";
        }
        return error;
    } else if (option == "--vref") {
        return within(o.vref, reference_volts::Min, reference_volts::Max,
                      "the reference in volts, " + Number(reference_volts::Min) + " V to " +
                          Number(reference_volts::Max) + " V");
    } else if (option == "--range") {
        return within(o.rangeVolts, MinRangeVolts, MaxRangeVolts,
                      "a DC range in volts, " + Number(MinRangeVolts) + " to " +
                          Number(MaxRangeVolts));
    } else if (option == "--nplc") {
        return within(o.nplc, MinNplc, MaxNplc,
                      "power-line cycles, " + Number(MinNplc) + " to " + Number(MaxNplc));
    } else if (option == "--csv") {
        o.csvPath = value;
        return value.empty() ? std::optional<std::string>("--csv takes a file name") : std::nullopt;
    } else if (option == "--png") {
        o.pngPath = value;
        return value.empty() ? std::optional<std::string>("--png takes a file name") : std::nullopt;
    } else {
        return "characterise has no option " + std::string(option);
    }
    return std::nullopt;
}

} // namespace

std::variant<CharacteriseOptions, std::string>
ParseCharacteriseOptions(const std::vector<std::string>& words) {
    CharacteriseOptions options;
    bool channelGiven = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& option = words[i];
        if (option == "--meas") {
            options.measureEachReading = true;
            continue;
        }
        if (i + 1 == words.size()) {
            return option + " takes a value";
        }
        channelGiven = channelGiven || option == "--channel";
        if (auto error = Take(options, option, words[++i])) {
            return *error;
        }
    }
    if (!channelGiven) {
        return std::string("characterise needs --channel N");
    }
    if (options.csvPath.empty()) {
        return std::string("characterise needs --csv FILE");
    }
    if (const auto error = characterise::CheckSettings(options.run)) {
        return "characterise: " + *error;
    }
    return options;
}

} // namespace qv4130::ctl

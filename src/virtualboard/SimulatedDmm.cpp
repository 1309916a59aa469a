#include "SimulatedDmm.h"

#include "text/PlainText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace qv4130 {

namespace {

constexpr std::size_t MaxQueuedErrors = 10;

using text::EqualsIgnoringCase;
using text::Trimmed;

// One mnemonic against its pattern ("VOLTage"): the capitals alone or the whole word.
bool MatchesMnemonic(std::string_view word, std::string_view pattern) {
    const auto shortLength = static_cast<std::size_t>(
        std::ranges::count_if(pattern, [](char c) { return c >= 'A' && c <= 'Z'; }));
    return EqualsIgnoringCase(word, pattern) ||
           EqualsIgnoringCase(word, pattern.substr(0, shortLength));
}

// Takes the part of `text` before its next ':' off it; `last` tells whether
// no ':' followed. Headers are matched a part at a time, with nothing
// allocated: the meter is asked twice for every code a run measures.
std::string_view TakePart(std::string_view& text, bool& last) {
    const auto at = text.find(':');
    last = at == std::string_view::npos;
    const std::string_view part = text.substr(0, at);
    text.remove_prefix(last ? text.size() : at + 1);
    return part;
}

// A header against a pattern such as "[SENSe]:VOLTage:[DC]:NPLCycles": a
// bracketed mnemonic may be left out. A leading colon is allowed.
bool MatchesHeader(std::string_view header, std::string_view pattern) {
    if (header.starts_with(':')) {
        header.remove_prefix(1);
    }
    bool lastWord = false;
    std::optional<std::string_view> word = TakePart(header, lastWord);
    bool lastPattern = false;
    while (!lastPattern) {
        std::string_view mnemonic = TakePart(pattern, lastPattern);
        const bool optional = mnemonic.starts_with('[');
        if (optional) {
            mnemonic = mnemonic.substr(1, mnemonic.size() - 2);
        }
        if (word && MatchesMnemonic(*word, mnemonic)) {
            word = lastWord ? std::nullopt : std::optional(TakePart(header, lastWord));
        } else if (!optional) {
            return false;
        }
    }
    return !word;
}

// "(@5)" names channel 5.
std::optional<int> ParseChannelList(std::string_view argument) {
    argument = Trimmed(argument);
    if (!argument.starts_with("(@") || !argument.ends_with(')')) {
        return std::nullopt;
    }
    const std::string_view digits = argument.substr(2, argument.size() - 3);
    int channel = -1;
    const auto [end, failure] =
        std::from_chars(digits.data(), digits.data() + digits.size(), channel);
    if (failure != std::errc{} || end != digits.data() + digits.size() || channel < 0 ||
        channel >= ChannelCount) {
        return std::nullopt;
    }
    return channel;
}

} // namespace

SimulatedDmm::SimulatedDmm(const Qv4130Chip& chip, AnalogModel& model)
    : chip_(chip), model_(model) {}

void SimulatedDmm::PushError(int code, std::string_view text) {
    if (errors_.size() == MaxQueuedErrors) {
        errors_.back() = "-350,\"Queue overflow\"";
        return;
    }
    errors_.push_back(std::to_string(code) + ",\"" + std::string(text) + "\"");
}

std::string SimulatedDmm::Reading() {
    // "+1.234567890E-01", as bench meters send it, whatever the process's locale.
    const double volts = model_.Output(chip_, channel_);
    char text[32] = {volts < 0 ? '-' : '+'};
    const auto [end, failure] = std::to_chars(text + 1, text + sizeof text, std::abs(volts),
                                              std::chars_format::scientific, 9);
    std::string reading(text, failure == std::errc{} ? end : text + 1);
    for (char& c : reading) {
        c = c == 'e' ? 'E' : c;
    }
    return reading;
}

std::optional<std::string> SimulatedDmm::Handle(std::string_view message) {
    message = Trimmed(message);
    const auto space = message.find_first_of(" \t");
    const std::string_view header = message.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view{} : Trimmed(message.substr(space));
    if (header.ends_with('?')) {
        return Query(header.substr(0, header.size() - 1), argument);
    }
    Command(header, argument);
    return std::nullopt;
}

std::optional<std::string> SimulatedDmm::Query(std::string_view header, std::string_view argument) {
    if (header == "*IDN") {
        return std::string(Identity);
    }
    if (MatchesHeader(header, "SYSTem:ERRor:[NEXT]")) {
        if (errors_.empty()) {
            return "+0,\"No error\"";
        }
        std::string error = errors_.front();
        errors_.pop_front();
        return error;
    }
    if (MatchesHeader(header, "READ") || MatchesHeader(header, "MEASure:[VOLTage]:[DC]")) {
        return Reading();
    }
    if (MatchesHeader(header, "ROUTe:CLOSe")) {
        return argument.empty() ? "(@" + std::to_string(channel_) + ")"
                                : std::string(ParseChannelList(argument) == channel_ ? "1" : "0");
    }
    PushError(-113, "Undefined header");
    return std::nullopt;
}

void SimulatedDmm::Command(std::string_view header, std::string_view argument) {
    if (header == "*RST") {
        channel_ = 0;
    } else if (header == "*CLS") {
        errors_.clear();
    } else if (MatchesHeader(header, "ROUTe:CLOSe")) {
        if (const auto channel = ParseChannelList(argument)) {
            channel_ = *channel;
        } else {
            PushError(-222, "Data out of range");
        }
    } else if (!MatchesHeader(header, "CONFigure:[VOLTage]:[DC]") &&
               !MatchesHeader(header, "[SENSe]:VOLTage:[DC]:NPLCycles") &&
               !MatchesHeader(header, "[SENSe]:VOLTage:[DC]:RANGe")) {
        PushError(-113, "Undefined header");
    }
}

} // namespace qv4130

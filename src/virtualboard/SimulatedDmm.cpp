#include "SimulatedDmm.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

namespace qv4130 {

namespace {

constexpr std::size_t MaxQueuedErrors = 10;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

// One mnemonic against its pattern ("VOLTage"): the capitals alone or the whole word.
bool MatchesMnemonic(std::string_view word, std::string_view pattern) {
    const auto shortLength =
        static_cast<std::size_t>(std::count_if(pattern.begin(), pattern.end(), [](char c) {
            return std::isupper(static_cast<unsigned char>(c));
        }));
    return SameLetters(word, pattern) || SameLetters(word, pattern.substr(0, shortLength));
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

// A header against a pattern such as "[SENSe]:VOLTage:[DC]:NPLCycles": a
// bracketed mnemonic may be left out. A leading colon is allowed.
bool MatchesHeader(std::string_view header, std::string_view pattern) {
    if (header.starts_with(':')) {
        header.remove_prefix(1);
    }
    const auto words = Split(header, ':');
    const auto patterns = Split(pattern, ':');
    std::size_t w = 0;
    for (std::string_view p : patterns) {
        const bool optional = p.starts_with('[');
        if (optional) {
            p = p.substr(1, p.size() - 2);
        }
        if (w < words.size() && MatchesMnemonic(words[w], p)) {
            ++w;
        } else if (!optional) {
            return false;
        }
    }
    return w == words.size();
}

// "(@5)" names channel 5.
std::optional<int> ParseChannelList(std::string_view argument) {
    argument = Trim(argument);
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
    message = Trim(message);
    const auto space = message.find_first_of(" \t");
    const std::string_view header = message.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view{} : Trim(message.substr(space));
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

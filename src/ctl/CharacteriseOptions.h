#pragma once

#include "characterise/CharacterisationRun.h"
#include "characterise/Linearity.h"
#include "setup/CommandLine.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv4130::ctl {

// What "characterise" was asked to do.
struct CharacteriseOptions {
    // HOST[:PORT] or /dev/usbtmcN, as read by characterise::ParseMeterAddress;
    // none: the virtual board's simulated meter.
    std::optional<std::string> meter;
    characterise::RunSettings run;
    // The reference of the ideal transfer (--ideal-vref), when the operator
    // names one; without it, the board's (see characterise::IdealFor).
    std::optional<double> idealVref;
    std::string csvPath;
    // Where the output, INL and DNL plots go as a PNG image; none: no image.
    std::optional<std::string> pngPath;
    std::optional<double> rangeVolts;
    std::optional<double> nplc;
    bool measureEachReading = false;
    std::chrono::milliseconds timeout{5000};
};

// characterise's options, declared once: their parser and their help come
// from here. --channel and --csv are required.
std::span<const options::Option<CharacteriseOptions>> CharacteriseOptionList();

// Why options that were each read well still make no run; none when they do.
Result<> CheckCharacteriseOptions(const CharacteriseOptions& options);

// What the help says of the command; its options follow it in a list of their own.
inline constexpr std::string_view CharacteriseHelp =
    "measure the channel's output at each code with a meter and write every code to the CSV, "
    "then print offset, gain error, INL, DNL and whether it is monotonic. Ctrl-C stops the run "
    "and keeps what it measured; readings that do not follow the codes give no figures. Its "
    "options are listed below";

} // namespace qv4130::ctl

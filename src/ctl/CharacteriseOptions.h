#pragma once

#include "characterise/CharacterisationRun.h"
#include "characterise/Linearity.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv4130::ctl {

// What "characterise" was asked to do.
struct CharacteriseOptions {
    // HOST[:PORT] or /dev/usbtmcN; none: the virtual board's simulated meter.
    std::optional<std::string> meter;
    characterise::RunSettings run;
    // The reference of the ideal transfer, when the operator names it; without
    // it, the board's (see characterise::IdealFor).
    std::optional<double> vref;
    std::string csvPath;
    // Where the output, INL and DNL plots go as a PNG image; none: no image.
    std::optional<std::string> pngPath;
    std::optional<double> rangeVolts;
    std::optional<double> nplc;
    bool measureEachReading = false;
    std::chrono::milliseconds timeout{5000};
};

// Reads the words after "characterise" (each --option with its value); a
// reason when they are wrong.
std::variant<CharacteriseOptions, std::string>
ParseCharacteriseOptions(const std::vector<std::string>& words);

// What the help says of the command, one line of the help per line.
inline constexpr std::string_view CharacteriseHelp =
    "measure the channel's output at each code with a meter\n"
    "and write every code to the CSV, then print offset, gain\n"
    "error, INL, DNL and whether it is monotonic. --meter\n"
    "HOST[:PORT] (5025 by default) or /dev/usbtmcN: a SCPI DMM\n"
    "on the output; without it, on the virtual board, its\n"
    "simulated meter. --from, --to (0, 4095), --step (1) codes;\n"
    "--settle MS after each word (0); --average K readings per\n"
    "code (1); --vref V of the ideal code/4096 x V, 0.5 to 5\n"
    "(the board's: 2.5, or the virtual or served board's own);\n"
    "--end-code C to leave the channel at (the code it had);\n"
    "--range V, --nplc N, --meas (MEAS:VOLT:DC? per reading),\n"
    "--timeout MS (5000) for the meter. --png FILE: the output,\n"
    "INL and DNL plots as an image too. Ctrl-C stops the run\n"
    "and keeps what it measured; readings that do not follow\n"
    "the codes give no figures";

} // namespace qv4130::ctl

#pragma once

#include <optional>
#include <string>

namespace qv4130 {

// What qv4130's command line asks for. Read before the toolkit exists, so that
// a value such as "--trace -reverse" is never taken for one of its options;
// options this program does not know are the toolkit's, and every argument
// still takes part in start-up's "/SS" search.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool virtualBoard = false;
    std::optional<std::string> tracePath;  // empty when "--trace" ends the line
    std::optional<std::string> listenText; // "[ADDR:]PORT"
    std::optional<std::string> vrefText;   // the virtual board's reference, volts
    std::optional<std::string> analogSeedText;
    std::optional<std::string> meterListenText{}; // "[ADDR:]PORT"
    bool characterise = false;
    std::optional<std::string> analogNoiseText{}; // the readings' noise, LSB
};

ProgramOptions ParseProgramOptions(int argc, const char* const* argv);

// Takes every option that carries a value, and its value, out of argv, as the
// toolkit takes its own, so nothing after this reads a value as an option.
// Returns the new count.
int RemoveValueOptions(int argc, char** argv);

// The command line's argument text: every argument after the program's own
// path, joined by single blanks, leaving out the options that carry a value.
std::string ArgumentText(int argc, const char* const* argv);

// "qv4130 2.0.1"
std::string VersionText();

// How to start the program, from the options' declarations; ends in a newline.
std::string UsageText();

} // namespace qv4130

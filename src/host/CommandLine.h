#pragma once

#include <optional>
#include <string>

namespace qv4130 {

// The command line's argument text: every argument after the program's own path,
// joined by single blanks, leaving out "--trace FILE" and "--listen ADDR". Taken before the toolkit
// removes the options it knows, so a switch is seen wherever it stands.
std::string ArgumentText(int argc, const char* const* argv);

// What the program is asked to print instead of starting.
enum class InfoRequest { None, Version, Help };

// "--help" anywhere wins over "--version" anywhere; every other argument is left
// for the start-up's "/SS" search.
InfoRequest FindInfoRequest(int argc, const char* const* argv);

// "--virtual-board" anywhere: run on the simulated board instead of the port library.
// The argument still takes part in the "/SS" search, which it cannot match.
bool WantsVirtualBoard(int argc, const char* const* argv);

// "--trace FILE": the file to record the port's writes in; the last one given
// wins. The argument after "--trace" is the file's name whatever it looks like,
// and no other option is looked for in it. Empty when "--trace" ends the line.
std::optional<std::string> TracePath(int argc, const char* const* argv);

// "--listen [ADDR:]PORT": where to serve SCPI, read as "--trace FILE" is.
std::optional<std::string> ListenText(int argc, const char* const* argv);

// Takes every "--trace FILE" and "--listen ADDR" out of argv, as the toolkit
// takes its own options, so nothing after this reads their values as options.
// Returns the new count.
int RemoveValueOptions(int argc, char** argv);

// "qv4130 2.0.1"
std::string VersionText();

// A few lines on how to start the program, ending in a newline.
std::string UsageText();

} // namespace qv4130

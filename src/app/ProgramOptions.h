#pragma once

#include "qv4130/Result.h"

#include "setup/BoardSetup.h"
#include "setup/ServerOptions.h"

#include <string>

namespace qv4130 {

// What qv4130's command line asks for. Read before the toolkit exists, so that
// a value such as "--trace -reverse" is never taken for one of its options;
// options this program does not know are the toolkit's, and every argument
// still takes part in start-up's "/SS" search.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    BoardChoice board;   // --virtual-board, --trace, --vref, --analog-seed, --analog-noise
    ServerChoice served; // --listen, --meter-listen
    bool characterise = false;
    // The command line's argument text, for start-up's "/SS" search: every
    // argument after the program's own path, joined by single blanks, without
    // the options that carry a value and their values.
    std::string argumentText;
};

// Reads qv4130's options from argv (the program's own path first) wherever
// they stand, the board's and the server's as qv4130ctl reads them, and takes
// every option that carries a value, and its value, out of argv, as the
// toolkit takes its own, so nothing after this reads a value as an option;
// argc shrinks. The reason for a usage error instead, unless --help or
// --version was asked for.
Result<ProgramOptions> ReadProgramOptions(int& argc, char** argv);

// "qv4130 2.0.1"
std::string VersionText();

// How to start the program, from the options' declarations; ends in a newline.
std::string UsageText();

} // namespace qv4130

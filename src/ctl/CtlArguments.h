#pragma once

#include "qv4130/Result.h"

#include "CharacteriseOptions.h"
#include "board/PrinterPorts.h"
#include "characterise/MeterAddress.h"
#include "setup/BoardSetup.h"
#include "setup/ServerOptions.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::ctl {

enum class Action { Write, Step, Power, Reset, Sweep, Status, Scpi, Run, Characterise, Serve };

struct Command {
    Action action;
    // The line of SCPI that carries the command out: made from its row of the
    // command table (write, step, power, reset, sweep, status), or as given
    // (scpi). The script's path or "-" (run).
    std::string text;
    // What characterise was asked (characterise only).
    std::optional<CharacteriseOptions> characterise{};
    // Where serve listens (127.0.0.1:5025 unless told), and serves the virtual
    // board's simulated meter (serve only).
    std::optional<ServerChoice> serve{};
};

// The running server --connect names.
struct ServerAddress {
    std::string name; // as the operator wrote it: every failure starts with it
    characterise::TcpAddress address;
};

struct Plan {
    bool help = false;
    bool version = false;
    // --virtual-board, --trace, --vref, --analog-seed, --analog-noise: the board
    // of this process, as qv4130 reads them.
    BoardChoice board;
    std::optional<PortMenuItem> port;
    // --connect HOST[:PORT]: the commands go to a running server's board.
    std::optional<ServerAddress> connect;
    std::vector<Command> commands;
};

// A mistake on the command line: exit 2, with the way to the help.
using UsageError = Failure;

// Reads qv4130ctl's arguments (the program's own path left out): the options,
// then the commands with their values and options. What each value is written
// as is checked here, so that a word that is no number, or a misspelt option,
// is found before the port is touched; whether a number is in range is its
// SCPI command's to say when the command runs (see ValuesUsage).
Result<Plan> ParseArguments(const std::vector<std::string_view>& arguments);

// The command's word: "write".
std::string_view CommandWord(Action action);

// What the usage error says when the command's values are not what it takes:
// "write takes a channel 0-15 and a code 0-4095 (or 0x000-0xFFF)", the ranges
// its SCPI command's row holds. Said when they can't be read, and when the
// command table refuses them as it runs the command (-222, or -114 for a
// channel past the last). None for a command without values of its own.
std::optional<std::string> ValuesUsage(Action action);

// What --help prints: every option and command, and the SCPI commands.
std::string UsageText();

// "qv4130ctl 2.0.1"
std::string VersionText();

} // namespace qv4130::ctl

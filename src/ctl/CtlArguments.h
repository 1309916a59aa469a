#pragma once

#include "CharacteriseOptions.h"
#include "board/PrinterPorts.h"
#include "virtualboard/AnalogModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv4130::ctl {

enum class Action { Write, Step, Power, Reset, Sweep, Status, Scpi, Run, Characterise, Serve };

struct Command {
    Action action;
    std::int64_t channel = 0;
    // The code (write), the step (step), 1 or 0 (power).
    std::int64_t value = 0;
    // The SCPI text (scpi), the script's path or "-" (run), the --listen text (serve).
    std::string text;
    // What characterise was asked (characterise only).
    std::optional<CharacteriseOptions> characterise{};
    // serve's --meter-listen text: where the virtual board's meter is served.
    std::optional<std::string> meterListen{};
};

struct Plan {
    bool help = false;
    bool version = false;
    bool virtualBoard = false;
    std::optional<PortMenuItem> port;
    // --trace FILE: the data register's writes recorded in a VCD file.
    std::optional<std::string> tracePath;
    // --vref, --analog-seed: the virtual board's outputs.
    AnalogSettings analog;
    std::vector<Command> commands;
    // --connect HOST[:PORT]: the commands go to a running server's board.
    std::optional<std::string> connect;
};

struct UsageError {
    std::string reason;
};

// Reads qv4130ctl's arguments (the program's own path left out). Every value is
// checked here, so a mistake is found before the port is touched.
std::variant<Plan, UsageError> ParseArguments(const std::vector<std::string_view>& arguments);

// The command's word: "write".
std::string_view CommandWord(Action action);

// The SCPI line that carries the command out on a server (--connect); none for
// run (its script's lines go instead), characterise and serve.
std::optional<std::string> ScpiText(const Command& command);

// What --help prints: every option and command, and the SCPI commands.
std::string UsageText();

// "qv4130ctl 2.0.1"
std::string VersionText();

} // namespace qv4130::ctl

#pragma once

#include "CharacteriseOptions.h"
#include "board/PrinterPorts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv4130::ctl {

enum class CtlAction { Write, Step, Power, Reset, Sweep, Status, Scpi, Run, Characterise, Serve };

struct CtlCommand {
    CtlAction action;
    std::int64_t channel = 0;
    // The code (write), the step (step), 1 or 0 (power).
    std::int64_t value = 0;
    // The SCPI text (scpi), the script's path or "-" (run), the --listen text (serve).
    std::string text;
    // What characterise was asked (characterise only).
    std::optional<CharacteriseOptions> characterise{};
};

struct CtlPlan {
    bool help = false;
    bool version = false;
    bool virtualBoard = false;
    std::optional<PortMenuItem> port;
    // --trace FILE: the data register's writes recorded in a VCD file.
    std::optional<std::string> tracePath;
    std::vector<CtlCommand> commands;
};

struct UsageError {
    std::string reason;
};

// Reads qv4130ctl's arguments (the program's own path left out). Every value is
// checked here, so a mistake is found before the port is touched.
std::variant<CtlPlan, UsageError> ParseCtlArguments(const std::vector<std::string_view>& arguments);

// What --help prints: every option and command, and the SCPI commands.
std::string CtlUsageText();

// "qv4130ctl 2.0.1"
std::string CtlVersionText();

} // namespace qv4130::ctl

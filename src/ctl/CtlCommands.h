#pragma once

#include "BoardLink.h"
#include "CtlArguments.h"
#include "host/Report.h"
#include "setup/BoardSetup.h"

#include <iosfwd>
#include <vector>

namespace qv4130::ctl {

inline constexpr int UsageStatus = 2;

// Where the commands' output goes, and where a failure is told: `failed` a
// command that failed (exit status 1), `misused` values that the command's
// SCPI command refused as out of its range (exit status 2, a usage error).
struct Streams {
    std::ostream& out;
    Report failed;
    Report misused;
};

// Carries out every command but serve, in order, each as its lines of SCPI
// through `link`, and stops at the first that fails, with its reason told:
// a refused command (an error its line queued), a line whose words could not
// reach the board or that got no answer. After the last command the link lets
// go of what it holds, and what that could not send is the last command's
// failure. Prints what the commands print the same whichever the link.
// Returns the exit status: 0, 1, or UsageStatus. "run -" reads standard input.
// `board` is this process's board set-up, which gives characterise the virtual
// board's simulated meter; null through a server.
int RunCommands(const std::vector<Command>& commands, BoardLink& link, Streams streams,
                BoardSetup* board);

} // namespace qv4130::ctl

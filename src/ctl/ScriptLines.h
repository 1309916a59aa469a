#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qv4130::ctl {

// Gives each line of the script at `path` ("-": standard input), without its
// comment, to `line` with where it stands ("steps.scpi, line 3"); `line`
// returns false to stop there. A script whose lines end in CR LF reads the
// same. True when every line was read and taken; otherwise `fail` has been
// told why (a read error, a line longer than the server takes), unless `line`
// stopped the run and told it itself.
bool ForEachScriptLine(
    const std::string& path,
    const std::function<bool(std::string_view line, const std::string& where)>& line,
    const std::function<void(const std::string& reason)>& fail);

} // namespace qv4130::ctl

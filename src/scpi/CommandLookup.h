#pragma once

#include "CommandParser.h"
#include "CommandTable.h"
#include "Session.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qv4130::scpi {

template <typename Device> struct CommandMatch {
    const CommandRow<Device>* row = nullptr; // none: no command has that header
    int suffix = 0;                          // the channel
    bool suffixError = false; // a suffix missing, misplaced or past the last the instrument has
};

namespace lookup_detail {

using Header = std::span<const HeaderElement>;

// The path's levels, then the header's: empty when the two are too long together.
Header ReadOnFromPath(std::string_view line, const HeaderPath& path, Header sent,
                      std::array<HeaderElement, MaxHeaderElements>& joined);
// The header's levels but its last, as the path the next command reads on from.
void KeepPath(std::string_view line, Header header, HeaderPath& path);

template <typename Device>
CommandMatch<Device> FindRow(Header header, bool common, const CommandSet<Device>& commands) {
    for (const CommandRow<Device>* row : commands.OfKind(common)) {
        const HeaderFit fit = Fit(row->pattern, header);
        if (fit.fits) {
            const bool outside = fit.suffix && *fit.suffix >= commands.suffixes;
            return {row, outside ? 0 : static_cast<int>(fit.suffix.value_or(0)),
                    fit.suffixMisplaced || outside};
        }
    }
    return {};
}

} // namespace lookup_detail

// The command of `commands` that `parsed` names. A header without a leading
// colon is first read on from `path`, as SCPI's compound commands are
// ("SOUR:CHAN1:CODE 5;CODE?" asks channel 1's code); when that names no
// command, from the root, as many instruments allow, so "SOUR:CHAN1:CODE
// 5;SOUR:CHAN1:CODE?" works too. `path` then becomes the header's levels but its
// last; common commands keep it.
template <typename Device>
CommandMatch<Device> FindCommand(std::string_view line, const ParsedCommand& parsed,
                                 HeaderPath& path, const CommandSet<Device>& commands) {
    using namespace lookup_detail;
    if (parsed.headerLength > MaxHeaderElements) {
        return {};
    }
    const Header sent = Header(parsed.header).first(parsed.headerLength);
    if (parsed.common) {
        return FindRow(sent, true, commands);
    }
    if (!parsed.rooted && path.length > 0) {
        std::array<HeaderElement, MaxHeaderElements> joined;
        const Header header = ReadOnFromPath(line, path, sent, joined);
        if (const auto match = FindRow(header, false, commands); match.row != nullptr) {
            KeepPath(line, header, path);
            return match;
        }
    }
    const auto match = FindRow(sent, false, commands);
    if (match.row != nullptr) {
        KeepPath(line, sent, path);
    }
    return match;
}

} // namespace qv4130::scpi

#include "CommandLookup.h"

#include "board/BoardVocabulary.h"

#include <algorithm>
#include <array>

namespace qv4130::scpi {

namespace {

using Header = std::span<const HeaderElement>;

CommandMatch FindRow(Header header, bool common) {
    for (const CommandRow* row : CommandsOfKind(common)) {
        const HeaderFit fit = Fit(row->pattern, header);
        if (fit.fits) {
            const std::int64_t suffix = fit.suffix.value_or(0);
            return {row, static_cast<int>(suffix < ChannelCount ? suffix : 0),
                    fit.suffixMisplaced || suffix >= ChannelCount};
        }
    }
    return {};
}

// The path's levels, then the header's: empty when the two are too long together.
Header ReadOnFromPath(std::string_view line, const HeaderPath& path, Header sent,
                      std::array<HeaderElement, MaxHeaderElements>& joined) {
    if (path.length + sent.size() > MaxHeaderElements) {
        return {};
    }
    for (std::size_t level = 0; level < path.length; ++level) {
        const HeaderPath::Level& kept = path.levels[level];
        joined[level] = {line.substr(kept.start, kept.size), kept.suffix};
    }
    std::copy(sent.begin(), sent.end(), joined.begin() + static_cast<std::ptrdiff_t>(path.length));
    return Header(joined).first(path.length + sent.size());
}

void KeepPath(std::string_view line, Header header, HeaderPath& path) {
    path.length = header.size() - 1;
    for (std::size_t level = 0; level < path.length; ++level) {
        const HeaderElement& element = header[level];
        path.levels[level] = {static_cast<std::size_t>(element.keyword.data() - line.data()),
                              element.keyword.size(), element.suffix};
    }
}

} // namespace

CommandMatch FindCommand(std::string_view line, const ParsedCommand& parsed, HeaderPath& path) {
    if (parsed.headerLength > MaxHeaderElements) {
        return {};
    }
    const Header sent = Header(parsed.header).first(parsed.headerLength);
    if (parsed.common) {
        return FindRow(sent, true);
    }
    if (!parsed.rooted && path.length > 0) {
        std::array<HeaderElement, MaxHeaderElements> joined;
        const Header header = ReadOnFromPath(line, path, sent, joined);
        if (const CommandMatch match = FindRow(header, false); match.row != nullptr) {
            KeepPath(line, header, path);
            return match;
        }
    }
    const CommandMatch match = FindRow(sent, false);
    if (match.row != nullptr) {
        KeepPath(line, sent, path);
    }
    return match;
}

} // namespace qv4130::scpi

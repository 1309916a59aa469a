#include "CommandLookup.h"

#include "board/BoardVocabulary.h"

namespace qv4130::scpi {

namespace {

CommandMatch FindRow(const SentHeader& header, bool common) {
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

void Append(SentHeader& header, const ParsedCommand& parsed) {
    for (std::size_t level = 0; level < parsed.headerLength; ++level) {
        header.Append(parsed.header[level]);
    }
}

// The header read on from the path, when the two together are not too long.
bool ReadOnFromPath(std::string_view line, const HeaderPath& path, const ParsedCommand& parsed,
                    SentHeader& header) {
    if (path.length == 0 || path.length + parsed.headerLength > MaxHeaderElements) {
        return false;
    }
    for (std::size_t level = 0; level < path.length; ++level) {
        const HeaderPath::Level& kept = path.levels[level];
        header.Append({line.substr(kept.start, kept.size), kept.suffix});
    }
    Append(header, parsed);
    return true;
}

void KeepPath(std::string_view line, const SentHeader& header, HeaderPath& path) {
    path.length = header.length - 1;
    for (std::size_t level = 0; level < path.length; ++level) {
        const HeaderElement& element = header.elements[level];
        path.levels[level] = {static_cast<std::size_t>(element.keyword.data() - line.data()),
                              element.keyword.size(), element.suffix};
    }
}

} // namespace

CommandMatch FindCommand(std::string_view line, const ParsedCommand& parsed, HeaderPath& path) {
    if (parsed.headerLength > MaxHeaderElements) {
        return {};
    }
    SentHeader header;
    if (parsed.common) {
        Append(header, parsed);
        return FindRow(header, true);
    }
    if (!parsed.rooted && ReadOnFromPath(line, path, parsed, header)) {
        if (const CommandMatch match = FindRow(header, false); match.row != nullptr) {
            KeepPath(line, header, path);
            return match;
        }
        header.length = 0;
    }
    Append(header, parsed);
    const CommandMatch match = FindRow(header, false);
    if (match.row != nullptr) {
        KeepPath(line, header, path);
    }
    return match;
}

} // namespace qv4130::scpi

#include "CommandLookup.h"

#include <algorithm>

namespace qv4130::scpi::lookup_detail {

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

} // namespace qv4130::scpi::lookup_detail

#pragma once

#include "CommandParser.h"
#include "qv4130/PlainText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qv4130::scpi {

inline constexpr std::size_t MaxPatternNodes = 5;

// The first up to four letters of a mnemonic, upper case, in one integer: two
// nodes whose keys differ can't name each other, so most candidates are turned
// away with one comparison instead of a walk over letters.
constexpr std::uint32_t PrefixKey(std::string_view mnemonic, std::size_t letters) {
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < letters; ++i) {
        key = key << 8 | static_cast<std::uint8_t>(text::AsciiUpper(mnemonic[i]));
    }
    return key;
}

// One level of a header as the SCPI standard writes it: SOURce names the long
// form, its upper-case part the short form; either is accepted in any case.
struct PatternNode {
    std::string_view shortForm;
    std::string_view longForm;
    std::uint32_t key = 0; // PrefixKey of the short form's first keyLetters letters
    std::size_t keyLetters = 0;
    bool optional = false; // [:NODE]: may be left out
    bool suffix = false;   // NODE#: takes a numeric suffix, and needs one
};

// A header written the SCPI way ("SOURce:CHANnel#:CODE", "OUTPut[:STATe]",
// "*IDN"), taken apart once, when the program is compiled.
struct HeaderPattern {
    bool common = false;
    std::array<PatternNode, MaxPatternNodes> nodes{};
    std::size_t length = 0;
};

namespace pattern_detail {
constexpr bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}

// Reads "LONGform#" from `text` at `at`; a malformed pattern stops the build.
constexpr PatternNode ReadNode(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsUpper(text[at])) {
        ++at;
    }
    const std::size_t shortEnd = at;
    while (at < text.size() && IsLower(text[at])) {
        ++at;
    }
    if (shortEnd == start) {
        throw "a header node starts with its upper-case short form";
    }
    PatternNode node{text.substr(start, shortEnd - start), text.substr(start, at - start)};
    node.keyLetters = std::min<std::size_t>(node.shortForm.size(), 4);
    node.key = PrefixKey(node.shortForm, node.keyLetters);
    if (at < text.size() && text[at] == '#') {
        node.suffix = true;
        ++at;
    }
    return node;
}
} // namespace pattern_detail

constexpr HeaderPattern CompileHeader(std::string_view text) {
    HeaderPattern pattern;
    std::size_t at = 0;
    if (!text.empty() && text[0] == '*') {
        pattern.common = true;
        at = 1;
    }
    while (at < text.size() || pattern.length == 0) {
        const bool optional = text.substr(at, 2) == "[:";
        if (optional) {
            at += 2;
        } else if (pattern.length > 0 && text[at++] != ':') {
            throw "header nodes are separated by ':'";
        }
        if (pattern.length == MaxPatternNodes) {
            throw "more header nodes than MaxPatternNodes";
        }
        PatternNode node = pattern_detail::ReadNode(text, at);
        node.optional = optional;
        if (optional && (at >= text.size() || text[at++] != ']')) {
            throw "an optional node ends with ']'";
        }
        pattern.nodes[pattern.length++] = node;
    }
    return pattern;
}

// Whether a level of a header as sent names the node: its key turns most
// others away, and settles a short form of up to four letters.
constexpr bool Names(const HeaderElement& element, const PatternNode& node) {
    const std::string_view keyword = element.keyword;
    if (keyword.size() < node.keyLetters || PrefixKey(keyword, node.keyLetters) != node.key) {
        return false;
    }
    if (keyword.size() == node.shortForm.size()) {
        return node.keyLetters == node.shortForm.size() ||
               text::EqualsIgnoringCase(keyword, node.shortForm);
    }
    return keyword.size() == node.longForm.size() &&
           text::EqualsIgnoringCase(keyword, node.longForm);
}

struct HeaderFit {
    bool fits = false;
    bool suffixMisplaced = false;       // a suffix where none is taken, or none where one is needed
    std::optional<std::int64_t> suffix; // the last node's with '#'
};

// Every level must name the pattern's node in turn; optional nodes may be left out.
constexpr HeaderFit Fit(const HeaderPattern& pattern, std::span<const HeaderElement> header) {
    HeaderFit fit;
    std::size_t level = 0;
    for (std::size_t n = 0; n < pattern.length; ++n) {
        const PatternNode& node = pattern.nodes[n];
        if (level < header.size() && Names(header[level], node)) {
            const auto& suffix = header[level].suffix;
            fit.suffixMisplaced |= node.suffix != suffix.has_value();
            if (node.suffix) {
                fit.suffix = suffix;
            }
            ++level;
        } else if (!node.optional) {
            return {};
        }
    }
    fit.fits = level == header.size();
    return fit;
}

} // namespace qv4130::scpi

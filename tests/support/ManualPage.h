#pragma once

// What the programs' manual pages say, for tests that hold them to the options
// the programs declare: an option added or renamed fails such a test until its
// page follows. QV4130_SOURCE_DIR must name the source tree.

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::test {

// The file at `path` under the source tree, whole; empty when it can't be read.
inline std::string SourceFile(const std::string& path) {
    std::ifstream in(std::string(QV4130_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every option named in `text` ("--trace", "--meter-listen"), in order.
inline std::vector<std::string> OptionsNamed(const std::string& text) {
    std::vector<std::string> names;
    const std::regex option("--[a-z][a-z-]*[a-z]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it) {
        names.push_back(it->str());
    }
    return names;
}

// Whether a roff page, which writes '-' as "\-", names the option `name`
// ("--vref"), not merely one that starts with it ("--vref-x").
inline bool PageNames(const std::string& page, const std::string& name) {
    std::string written;
    for (const char c : name) {
        written.append(c == '-' ? "\\-" : std::string(1, c));
    }
    for (std::size_t at = page.find(written); at != std::string::npos;
         at = page.find(written, at + 1)) {
        const std::string_view after = std::string_view(page).substr(at + written.size());
        const bool longer =
            after.starts_with("\\-") || (!after.empty() && after[0] >= 'a' && after[0] <= 'z');
        if (!longer) {
            return true;
        }
    }
    return false;
}

} // namespace qv4130::test

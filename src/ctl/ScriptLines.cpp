#include "ScriptLines.h"

#include "ScriptInput.h"
#include "qv4130/PlainText.h"
#include "scpi/Interpreter.h"
#include "scpi/LineFramer.h"


namespace qv4130::ctl {

namespace {

// A script from another system may end its lines with CR LF.
constexpr auto IsBlank = text::IsSpaceOrLineEnd;

// A script line without its comment. '#' also starts SCPI's #H/#Q/#B numbers, so
// only a '#' first on the line, or between blanks, starts a comment; never one
// inside a quoted string.
std::string_view WithoutComment(std::string_view line) {
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#') {
            const bool first = line.find_first_not_of(" \t") == i;
            const bool between =
                i > 0 && IsBlank(line[i - 1]) && (i + 1 == line.size() || IsBlank(line[i + 1]));
            if (first || between) {
                return line.substr(0, i);
            }
        }
    }
    return line;
}

} // namespace

bool ForEachScriptLine(
    const std::string& path,
    const std::function<bool(std::string_view line, const std::string& where)>& line,
    const std::function<void(const std::string& reason)>& fail) {
    Result<ScriptInput> opened = ScriptInput::Open(path);
    if (!opened) {
        fail("run: can't read " + path + ": " + opened.Error());
        return false;
    }
    ScriptInput& script = *opened;
    const std::string name = path == "-" ? "standard input" : path;
    // Lines as long as the server takes, no longer: a file without newlines
    // must not fill the memory.
    scpi::LineFramer framer(scpi::MaxLineBytes);
    int number = 0;
    bool failed = false;
    const auto where = [&] { return name + ", line " + std::to_string(number); };
    for (;;) {
        const Result<std::string_view> read = script.Read();
        if (!read) {
            fail("run: can't read " + path + ": " + read.Error());
            return false;
        }
        const std::string_view bytes = *read;
        // The last line may lack its newline.
        framer.Feed(
            bytes.empty() && framer.Pending() > 0 ? std::string_view("\n") : bytes,
            [&](std::string_view text) {
                ++number;
                failed = failed || !line(WithoutComment(text), where());
            },
            [&] {
                ++number;
                if (!failed) {
                    fail(where() + ": " + scpi::FormatError(scpi::Error::TooMuchData));
                }
                failed = true;
            });
        if (failed) {
            return false;
        }
        if (bytes.empty()) {
            return true;
        }
    }
}

} // namespace qv4130::ctl

#include "CtlCommands.h"

#include "CharacteriseCommand.h"
#include "text/PlainText.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

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

class Runner {
public:
    Runner(scpi::Instrument& instrument, scpi::Interpreter& interpreter, CtlStreams streams,
           VirtualBoard* virtualBoard)
        : instrument_(instrument), interpreter_(interpreter), streams_(streams),
          virtualBoard_(virtualBoard) {}

    bool Run(const CtlCommand& command) {
        switch (command.action) {
        case CtlAction::Write:
            return Sent("write", instrument_.WriteCode(command.channel, command.value));
        case CtlAction::Step:
            return Sent("step", instrument_.Step(command.channel, command.value));
        case CtlAction::Power:
            instrument_.SetOutput(command.value != 0);
            return true;
        case CtlAction::Reset:
            instrument_.Reset();
            return true;
        case CtlAction::Sweep:
            instrument_.Sweep();
            return true;
        case CtlAction::Status:
            PrintStatus();
            return true;
        case CtlAction::Scpi:
            return Scpi(command.text, "scpi");
        case CtlAction::Run:
            return RunScript(command.text);
        case CtlAction::Characterise:
            return RunCharacteriseCommand(*command.characterise, instrument_, virtualBoard_,
                                          streams_.out, streams_.errors,
                                          &streams_.out == &std::cout && isatty(STDOUT_FILENO));
        case CtlAction::Serve:
            break;
        }
        return true;
    }

private:
    bool Fail(const std::string& reason) {
        streams_.out.flush();
        streams_.errors << "qv4130ctl: " << reason << std::endl;
        return false;
    }

    bool Sent(const char* what, scpi::ActionResult result) {
        // Values were checked with the arguments; only the power state can refuse.
        if (result != scpi::ActionResult::Done) {
            return Fail(std::string(what) + ": the chip is powered down; power it on first");
        }
        return true;
    }

    bool Scpi(std::string_view line, const std::string& where) {
        replies_.clear();
        const auto error = interpreter_.ExecuteLine(line, replies_);
        for (const std::string& reply : replies_) {
            streams_.out << reply << '\n';
        }
        if (!replies_.empty()) {
            streams_.out.flush();
        }
        return !error || Fail(where + ": " + scpi::FormatError(error));
    }

    bool RunScript(const std::string& path) {
        std::ifstream file;
        if (path != "-") {
            file.open(path);
            if (!file) {
                return Fail("run: can't read " + path);
            }
        }
        std::istream& script = path == "-" ? streams_.in : file;
        const std::string name = path == "-" ? "standard input" : path;
        std::string line;
        for (int number = 1; std::getline(script, line); ++number) {
            if (!Scpi(WithoutComment(line), name + ", line " + std::to_string(number))) {
                return false;
            }
        }
        return true;
    }

    void PrintStatus() {
        const std::uint16_t address = instrument_.PortAddress();
        const auto item = PortMenuItemAt(address);
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(address));
        streams_.out << "port: "
                     << (item ? std::string(PortMenuName(*item)) + " (" + hex + ")" : hex)
                     << "\noutput: " << (instrument_.Output() ? "on" : "off") << '\n';
        for (int channel = 0; channel < ChannelCount; ++channel) {
            streams_.out << "channel " << channel << ": " << instrument_.Code(channel) << '\n';
        }
        streams_.out.flush();
    }

    scpi::Instrument& instrument_;
    scpi::Interpreter& interpreter_;
    CtlStreams streams_;
    VirtualBoard* virtualBoard_;
    std::vector<std::string> replies_;
};

} // namespace

int RunCtlCommands(const std::vector<CtlCommand>& commands, scpi::Instrument& instrument,
                   scpi::Interpreter& interpreter, CtlStreams streams, VirtualBoard* virtualBoard) {
    Runner runner(instrument, interpreter, streams, virtualBoard);
    for (const CtlCommand& command : commands) {
        if (!runner.Run(command)) {
            return 1;
        }
    }
    return 0;
}

} // namespace qv4130::ctl

#include "CtlCommands.h"

#include "CharacteriseCommand.h"
#include "ScriptInput.h"
#include "board/BoardVocabulary.h"
#include "characterise/InstrumentOutput.h"
#include "scpi/LineFramer.h"
#include "text/PlainText.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <ostream>
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
    Runner(scpi::Instrument& instrument, scpi::Interpreter& interpreter, BoardReach& reach,
           Streams streams, BoardSetup& board)
        : instrument_(instrument), interpreter_(interpreter), reach_(reach), streams_(streams),
          board_(board) {}

    // The command, then whether what it sent reached the board.
    bool Run(const Command& command) {
        reach_.Checkpoint();
        if (!Carry(command)) {
            return false;
        }
        const auto lost = reach_.Lost();
        return !lost || Fail(std::string(Name(command.action)) + ": " + *lost);
    }

    // After the last command: the claim given back, and with it whatever the
    // library still held sent, so that a failure to send it (an adapter pulled
    // out during the run) is that command's, not a silent one after the exit.
    bool LetGo(const Command& last) {
        reach_.ReleaseParallelPort(BoardPortNumber);
        const auto lost = reach_.Lost();
        return !lost || Fail(std::string(Name(last.action)) + ": " + *lost);
    }

private:
    static const char* Name(Action action) {
        constexpr const char* names[] = {"write",  "step", "power", "reset",        "sweep",
                                         "status", "scpi", "run",   "characterise", "serve"};
        return names[static_cast<int>(action)];
    }

    bool Carry(const Command& command) {
        switch (command.action) {
        case Action::Write:
            return Sent("write", instrument_.WriteCode(command.channel, command.value));
        case Action::Step:
            return Sent("step", instrument_.Step(command.channel, command.value));
        case Action::Power:
            instrument_.SetOutput(command.value != 0);
            return true;
        case Action::Reset:
            instrument_.Reset();
            return true;
        case Action::Sweep:
            instrument_.Sweep();
            return true;
        case Action::Status:
            PrintStatus();
            return true;
        case Action::Scpi:
            return Scpi(command.text, "scpi");
        case Action::Run:
            return RunScript(command.text);
        case Action::Characterise: {
            characterise::InstrumentOutput output(instrument_);
            return RunCharacteriseCommand(*command.characterise, output, board_, streams_.out,
                                          streams_.failed,
                                          &streams_.out == &std::cout && isatty(STDOUT_FILENO));
        }
        case Action::Serve:
            break;
        }
        return true;
    }

    bool Fail(const std::string& reason) {
        streams_.out.flush();
        streams_.failed(reason);
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
        auto opened = ScriptInput::Open(path);
        if (auto* reason = std::get_if<std::string>(&opened)) {
            return Fail("run: can't read " + path + ": " + *reason);
        }
        ScriptInput& script = std::get<ScriptInput>(opened);
        const std::string name = path == "-" ? "standard input" : path;
        // Lines as long as the server takes, no longer: a file without newlines
        // must not fill the memory.
        scpi::LineFramer framer(scpi::MaxLineBytes);
        int number = 0;
        bool failed = false;
        const auto where = [&] { return name + ", line " + std::to_string(number); };
        for (;;) {
            auto read = script.Read();
            if (auto* reason = std::get_if<std::string>(&read)) {
                return Fail("run: can't read " + path + ": " + *reason);
            }
            const std::string_view bytes = std::get<std::string_view>(read);
            // The last line may lack its newline.
            framer.Feed(
                bytes.empty() && framer.Pending() > 0 ? std::string_view("\n") : bytes,
                [&](std::string_view line) {
                    ++number;
                    failed = failed || !Scpi(WithoutComment(line), where());
                },
                [&] {
                    ++number;
                    failed = failed ||
                             !Fail(where() + ": " + scpi::FormatError(scpi::Error::TooMuchData));
                });
            if (failed) {
                return false;
            }
            if (bytes.empty()) {
                return true;
            }
        }
    }

    void PrintStatus() {
        const std::uint16_t address = instrument_.PortAddress();
        const auto item = PortMenuItemAt(address);
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(address));
        streams_.out << "port: "
                     << (item ? std::string(PortMenuName(*item)) + " (" + hex + ")" : hex)
                     << (reach_.Claimed() ? "" : ", not claimed: nothing sent reaches the board")
                     << "\noutput: " << (instrument_.Output() ? "on" : "off") << '\n';
        for (int channel = 0; channel < ChannelCount; ++channel) {
            streams_.out << "channel " << channel << ": " << instrument_.Code(channel) << '\n';
        }
        streams_.out.flush();
    }

    scpi::Instrument& instrument_;
    scpi::Interpreter& interpreter_;
    BoardReach& reach_;
    Streams streams_;
    BoardSetup& board_;
    std::vector<std::string> replies_;
};

} // namespace

int RunCommands(const std::vector<Command>& commands, scpi::Instrument& instrument,
                scpi::Interpreter& interpreter, BoardReach& reach, Streams streams,
                BoardSetup& board) {
    Runner runner(instrument, interpreter, reach, streams, board);
    for (const Command& command : commands) {
        if (command.action == Action::Serve) {
            return 0; // the server keeps the claim for as long as it serves
        }
        if (!runner.Run(command)) {
            return 1;
        }
    }
    return commands.empty() || runner.LetGo(commands.back()) ? 0 : 1;
}

} // namespace qv4130::ctl

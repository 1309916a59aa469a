#include "CtlCommands.h"

#include "BoardStatus.h"
#include "CharacteriseCommand.h"
#include "LinkChannelOutput.h"
#include "ScriptLines.h"
#include "TableRows.h"
#include "qv4130/PlainText.h"

#include <ostream>
#include <string>

namespace qv4130::ctl {

namespace {

// The SCPI error's number: -222 of -222,"Data out of range".
std::optional<int> ErrorNumber(std::string_view error) {
    return text::ParseWhole<int>(error.substr(0, error.find(',')));
}

constexpr int SettingsConflict = -221; // CODE and STEP while the chip is powered down
constexpr int DataOutOfRange = -222;
constexpr int SuffixOutOfRange = -114; // a channel past the last

class Runner {
public:
    Runner(BoardLink& link, Streams streams, BoardSetup* board)
        : link_(link), streams_(streams), board_(board) {}

    bool Run(const Command& command) {
        const std::string where(CommandWord(command.action));
        switch (command.action) {
        case Action::Run:
            return ForEachScriptLine(
                command.text,
                [this](std::string_view line, const std::string& at) {
                    return Print(Exchange(line, at));
                },
                [this](const std::string& reason) { Fail(reason); });
        case Action::Status:
            return Status(Exchange(command.text, where));
        case Action::Characterise:
            return Characterise(*command.characterise, where);
        case Action::Serve:
            return true;
        case Action::Scpi:
            return Print(Exchange(command.text, where));
        default:
            return Print(Exchange(command.text, where, command.action));
        }
    }

    // After the last command: the link lets go, and what that could not send
    // is that command's failure, not a silent one after the exit.
    bool LetGo(const Command& last) {
        const Result<> let = link_.LetGo();
        return let || Fail(std::string(CommandWord(last.action)) + ": " + let.Error());
    }

    int Status() const { return status_; }

private:
    bool Fail(const std::string& reason, int status = 1) {
        streams_.out.flush();
        (status == UsageStatus ? streams_.misused : streams_.failed)(reason);
        status_ = status;
        return false;
    }

    // The line's replies once it ran without error; none after failing. A
    // command of qv4130ctl's own (`own`) has its values' refusal said as the
    // usage error it is, and a word refused while the chip is powered down in
    // the words of that.
    std::optional<std::vector<std::string>> Exchange(std::string_view line,
                                                     const std::string& where,
                                                     std::optional<Action> own = std::nullopt) {
        LineOutcome outcome = link_.Exchange(line);
        if (!outcome.failure && !outcome.error) {
            return std::move(outcome.replies);
        }
        // Replies before an error are printed: they were given.
        Print(outcome.replies);
        if (outcome.failure) {
            Fail(where + ": " + *outcome.failure);
            return std::nullopt;
        }
        const auto number = own ? ErrorNumber(*outcome.error) : std::nullopt;
        const auto usage = own ? ValuesUsage(*own) : std::nullopt;
        if (usage && (number == DataOutOfRange || number == SuffixOutOfRange)) {
            Fail(*usage, UsageStatus);
        } else if (number == SettingsConflict) {
            Fail(where + ": the chip is powered down; power it on first");
        } else {
            Fail(where + ": " + *outcome.error);
        }
        return std::nullopt;
    }

    bool Print(const std::optional<std::vector<std::string>>& replies) {
        if (!replies) {
            return false;
        }
        // A peer's words reach a terminal: a control byte in them is shown as
        // \xNN, never sent raw to clear the screen or forge a line.
        for (const std::string& reply : *replies) {
            streams_.out << text::Printable(reply) << '\n';
        }
        if (!replies->empty()) {
            streams_.out.flush();
        }
        return true;
    }

    bool Status(const std::optional<std::vector<std::string>>& replies) {
        return replies && (PrintStatus(streams_.out, *replies, link_.Claimed()) ||
                           Fail("status: " + link_.Name() + " gave no board status"));
    }

    // The run is reckoned against the board's reference, asked every time, so
    // that a server that reports one no chip runs on is caught before its codes
    // are written.
    bool Characterise(const CharacteriseOptions& options, const std::string& where) {
        const auto reply = Exchange(RowLine("SOURce:VREFerence") + "?", where);
        if (!reply) {
            return false;
        }
        const auto vref = reply->size() == 1 ? text::ParsePositive(reply->front()) : std::nullopt;
        if (!vref) {
            return Fail(where + ": " + link_.Name() + " gave no reference voltage");
        }
        if (!characterise::ReferenceInRange(*vref)) {
            return Fail(where + ": " + link_.Name() + " gave a reference of " +
                        text::Printable(reply->front()) + " V, not one the chip takes");
        }
        LinkChannelOutput output(link_);
        return RunCharacteriseCommand(options, output, board_, *vref, streams_.out, streams_.failed,
                                      ProgressOnTerminal(streams_.out));
    }

    BoardLink& link_;
    Streams streams_;
    BoardSetup* board_;
    int status_ = 0;
};

} // namespace

int RunCommands(const std::vector<Command>& commands, BoardLink& link, Streams streams,
                BoardSetup* board) {
    Runner runner(link, streams, board);
    for (const Command& command : commands) {
        if (command.action == Action::Serve) {
            return 0; // the server keeps the claim for as long as it serves
        }
        if (!runner.Run(command)) {
            return runner.Status() != 0 ? runner.Status() : 1;
        }
    }
    return commands.empty() || runner.LetGo(commands.back()) ? 0 : 1;
}

} // namespace qv4130::ctl

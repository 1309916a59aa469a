#include "CtlCommands.h"

#include "BoardStatus.h"
#include "CharacteriseCommand.h"
#include "ScriptLines.h"
#include "board/BoardVocabulary.h"
#include "characterise/InstrumentOutput.h"

#include <iostream>
#include <ostream>
#include <string>

namespace qv4130::ctl {

namespace {

class Runner {
public:
    Runner(Board& instrument, scpi::Interpreter& interpreter, BoardReach& reach, Streams streams,
           BoardSetup& board)
        : instrument_(instrument), interpreter_(interpreter), reach_(reach), streams_(streams),
          board_(board) {}

    // The command, then whether what it sent reached the board.
    bool Run(const Command& command) {
        reach_.Checkpoint();
        if (!Carry(command)) {
            return false;
        }
        const auto lost = reach_.Lost();
        return !lost || Fail(std::string(CommandWord(command.action)) + ": " + *lost);
    }

    // After the last command: the claim given back, and with it whatever the
    // library still held sent, so that a failure to send it (an adapter pulled
    // out during the run) is that command's, not a silent one after the exit.
    bool LetGo(const Command& last) {
        reach_.ReleaseParallelPort(BoardPortNumber);
        const auto lost = reach_.Lost();
        return !lost || Fail(std::string(CommandWord(last.action)) + ": " + *lost);
    }

private:
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
            return RunCharacteriseCommand(*command.characterise, output, &board_,
                                          board_.ReferenceVolts(), streams_.out, streams_.failed,
                                          ProgressOnTerminal(streams_.out));
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

    bool Sent(const char* what, ActionResult result) {
        // Values were checked with the arguments; only the power state can refuse.
        if (result != ActionResult::Done) {
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
        return ForEachScriptLine(
            path,
            [this](std::string_view line, const std::string& where) { return Scpi(line, where); },
            [this](const std::string& reason) { Fail(reason); });
    }

    void PrintStatus() {
        BoardStatus status{instrument_.PortAddress(), reach_.Claimed(), instrument_.Output(), {}};
        for (int channel = 0; channel < ChannelCount; ++channel) {
            status.codes[static_cast<std::size_t>(channel)] = instrument_.Code(channel);
        }
        ctl::PrintStatus(streams_.out, status);
    }

    Board& instrument_;
    scpi::Interpreter& interpreter_;
    BoardReach& reach_;
    Streams streams_;
    BoardSetup& board_;
    std::vector<std::string> replies_;
};

} // namespace

int RunCommands(const std::vector<Command>& commands, Board& instrument,
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

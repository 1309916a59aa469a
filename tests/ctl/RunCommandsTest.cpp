// The one runner of qv4130ctl's commands: each command its lines of SCPI
// through a link, what the lines give turned into the output, the one-line
// failure and the exit status the same whichever link they went through.
#include "BoardReach.h"
#include "BoardStatus.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "InterpreterLink.h"
#include "board/Board.h"
#include "support/RecordingPortLibrary.h"
#include "virtualboard/VirtualBoard.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace qv4130::ctl {
namespace {

std::vector<Command> Commands(std::vector<std::string_view> words) {
    auto parsed = ParseArguments(words);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        ADD_FAILURE() << error->reason;
        return {};
    }
    return std::get<Plan>(std::move(parsed)).commands;
}

// A link that answers each line as the test says, and keeps the lines.
class ScriptedLink final : public BoardLink {
public:
    const std::string& Name() const override { return name_; }
    LineOutcome Exchange(std::string_view line) override {
        lines.emplace_back(line);
        const auto answer = answers.find(std::string(line));
        return answer != answers.end() ? answer->second : LineOutcome{};
    }
    std::optional<std::string> LetGo() override { return letGo; }

    std::map<std::string, LineOutcome> answers;
    std::vector<std::string> lines;
    std::optional<std::string> letGo;

private:
    std::string name_ = "server:5025";
};

// What a run printed, said and ended with.
struct Ran {
    int status;
    std::string out;
    std::vector<std::string> failed;
    std::vector<std::string> misused;
};

Ran RunThrough(const std::vector<Command>& commands, BoardLink& link) {
    std::ostringstream out;
    Ran ran{0, {}, {}, {}};
    ran.status = RunCommands(commands, link,
                             {out, [&ran](const std::string& text) { ran.failed.push_back(text); },
                              [&ran](const std::string& text) { ran.misused.push_back(text); }},
                             nullptr);
    ran.out = out.str();
    return ran;
}

TEST(RunCommands, TheTablesRefusalOfACommandsValueIsAUsageError) {
    ScriptedLink link;
    link.answers["SOUR:CHAN5:CODE 4096"] = {{}, "-222,\"Data out of range\"", {}};
    link.answers["SOUR:CHAN16:CODE 1"] = {{}, "-114,\"Header suffix out of range\"", {}};
    link.answers["SOUR:CHAN1:STEP 1"] = {{}, "-221,\"Settings conflict\"", {}};
    const struct {
        std::vector<std::string_view> words;
        int status;
        std::vector<std::string> failed;
        std::vector<std::string> misused;
    } rows[] = {
        {{"write", "5", "4096"}, UsageStatus, {}, {*ValuesUsage(Action::Write)}},
        {{"write", "16", "1"}, UsageStatus, {}, {*ValuesUsage(Action::Write)}},
        {{"step", "1", "1"}, 1, {"step: the chip is powered down; power it on first"}, {}},
        // Text of the operator's own is SCPI's to answer as it does.
        {{"scpi", "SOUR:CHAN5:CODE 4096"}, 1, {"scpi: -222,\"Data out of range\""}, {}},
    };
    for (const auto& row : rows) {
        const Ran ran = RunThrough(Commands(row.words), link);
        EXPECT_EQ(ran.status, row.status) << row.words[0];
        EXPECT_EQ(ran.failed, row.failed);
        EXPECT_EQ(ran.misused, row.misused);
    }
}

TEST(RunCommands, StopsAtTheFirstFailureWithTheRepliesBeforeIt) {
    ScriptedLink link;
    link.answers["*IDN?;FOO"] = {{"maker"}, "-113,\"Undefined header\"", {}};
    link.answers["DIAG:SWE"] = {{}, {}, "server:5025 did not answer: timed out"};
    Ran ran = RunThrough(Commands({"scpi", "*IDN?;FOO", "reset"}), link);
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.out, "maker\n");
    EXPECT_EQ(ran.failed, std::vector<std::string>{"scpi: -113,\"Undefined header\""});
    EXPECT_EQ(link.lines, std::vector<std::string>{"*IDN?;FOO"});

    ran = RunThrough(Commands({"reset", "sweep", "power", "on"}), link);
    EXPECT_EQ(ran.failed, std::vector<std::string>{"sweep: server:5025 did not answer: timed out"});

    // What the link could not send when it let go is the last command's.
    link.letGo = "the board was not reached: FT232H stopped taking bytes";
    ran = RunThrough(Commands({"reset", "power", "on"}), link);
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.failed,
              std::vector<std::string>{"power: the board was not reached: FT232H stopped taking "
                                       "bytes"});
}

TEST(RunCommands, StatusIsPrintedFromItsRepliesWhicheverTheLink) {
    ScriptedLink link;
    std::vector<std::string> replies{"#H3BC", "0"};
    for (int channel = 0; channel < ChannelCount; ++channel) {
        replies.push_back(std::to_string(channel == 3 ? -1 : channel * 10));
    }
    link.answers[StatusQuery()] = {replies, {}, {}};
    Ran ran = RunThrough(Commands({"status"}), link);
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out.substr(0, 62),
              "port: PRN (0x3BC)\noutput: off\nchannel 0: 0\nchannel 1: 10\nchann");
    EXPECT_NE(ran.out.find("\nchannel 3: -1\n"), std::string::npos);

    link.answers[StatusQuery()] = {{"LPT1", "1"}, {}, {}};
    ran = RunThrough(Commands({"status"}), link);
    EXPECT_EQ(ran.out, "");
    EXPECT_EQ(ran.failed, std::vector<std::string>{"status: server:5025 gave no board status"});
}

TEST(RunCommands, ThisProcesssBoardThroughItsInterpreter) {
    VirtualBoard virtualBoard;
    SharedState state;
    BoardReach reach(virtualBoard);
    reach.ClaimParallelPort(BoardPortNumber, -1);
    state.PortAddress = Lpt1Address;
    state.DevicePowered = 1;
    Board board(reach, state,
                {[&virtualBoard](int c) { return int{virtualBoard.Chip().Code(c)}; }, {}, 2.5});
    scpi::Interpreter interpreter(board);
    InterpreterLink link(interpreter, reach);

    Ran ran = RunThrough(Commands({"write", "5", "0xA00", "step", "5", "-10", "scpi",
                                   "SOUR:CHAN5:CODE?", "power", "off", "status"}),
                         link);
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(virtualBoard.Chip().Code(5), 2550);
    EXPECT_EQ(ran.out.substr(0, 45), "2550\nport: LPT1 (0x378)\noutput: off\nchannel 0");

    ran = RunThrough(
        Commands({"write", "5", "1", "power", "on", "write", "5", "5000", "write", "5", "2"}),
        link);
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.failed, std::vector<std::string>{"write: the chip is powered down; power it on "
                                                   "first"});
    ran = RunThrough(
        Commands({"power", "on", "write", "5", "1", "write", "5", "5000", "write", "5", "2"}),
        link);
    EXPECT_EQ(ran.status, UsageStatus);
    EXPECT_EQ(virtualBoard.Chip().Code(5), 1); // the commands before it ran, none after
}

TEST(RunCommands, WordsThatCannotReachTheBoardFailTheirLine) {
    test::RecordingPortLibrary library;
    library.claimResult = 0;
    SharedState state;
    BoardReach reach(library);
    reach.ClaimParallelPort(BoardPortNumber, -1);
    state.PortAddress = Lpt1Address;
    state.DevicePowered = 1;
    Board board(reach, state);
    scpi::Interpreter interpreter(board);
    InterpreterLink link(interpreter, reach);

    const std::string lost = "the printer port is not claimed, so nothing reached the board";
    Ran ran = RunThrough(Commands({"scpi", "*IDN?", "status"}), link);
    EXPECT_EQ(ran.status, 0);
    EXPECT_NE(ran.out.find("port: LPT1 (0x378), not claimed: nothing sent reaches the board\n"),
              std::string::npos);
    ran = RunThrough(Commands({"write", "1", "1"}), link);
    EXPECT_EQ(ran.failed, std::vector<std::string>{"write: " + lost});
    ran = RunThrough(Commands({"scpi", "*IDN?;OUTP OFF"}), link);
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.out.find("QV4130"), std::string::npos) << ran.out; // the reply before
    EXPECT_EQ(ran.failed, std::vector<std::string>{"scpi: " + lost});
}

} // namespace
} // namespace qv4130::ctl

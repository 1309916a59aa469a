// qv4130ctl's command line: each command becomes the line of its row of the
// SCPI command table, whose rule alone checks the values' ranges; the options
// come from their declarations, and the manual page tells of each.
#include "CtlArguments.h"
#include "BoardStatus.h"
#include "board/Board.h"
#include "scpi/Interpreter.h"
#include "support/ManualPage.h"
#include "virtualboard/VirtualBoard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130::ctl {
namespace {

std::variant<Plan, UsageError> Parse(std::vector<std::string_view> words) {
    return ParseArguments(words);
}

std::string Reason(const std::variant<Plan, UsageError>& parsed) {
    const auto* error = std::get_if<UsageError>(&parsed);
    return error != nullptr ? error->reason : std::string("(no usage error)");
}

// A virtual board's interpreter, as a run of qv4130ctl --virtual-board has one.
struct Instrument {
    Instrument() { state.PortAddress = Lpt1Address, state.DevicePowered = 1; }
    std::optional<scpi::Error> Run(const std::string& line) {
        replies.clear();
        return interpreter.ExecuteLine(line, replies);
    }
    VirtualBoard board;
    SharedState state;
    Board instrument{board, state};
    scpi::Interpreter interpreter{instrument};
    std::vector<std::string> replies;
};

TEST(CtlArguments, EachCommandIsTheLineOfItsRowOfTheCommandTable) {
    const struct {
        std::vector<std::string_view> words;
        std::string line;
    } rows[] = {
        {{"write", "5", "0xA00"}, "SOUR:CHAN5:CODE 2560"},
        {{"write", "05", "100"}, "SOUR:CHAN5:CODE 100"},
        {{"step", "3", "-101"}, "SOUR:CHAN3:STEP -101"},
        {{"power", "on"}, "OUTP ON"},
        {{"power", "off"}, "OUTP OFF"},
        {{"reset"}, "*RST"},
        {{"sweep"}, "DIAG:SWE"},
        {{"status"}, StatusQuery()},
        {{"scpi", "*IDN?;OUTP?"}, "*IDN?;OUTP?"},
    };
    Instrument board;
    for (const auto& row : rows) {
        const auto parsed = Parse(row.words);
        ASSERT_TRUE(std::holds_alternative<Plan>(parsed)) << Reason(parsed);
        const std::string& line = std::get<Plan>(parsed).commands.at(0).text;
        EXPECT_EQ(line, row.line);
        // The interpreter takes each as its own command.
        EXPECT_EQ(board.Run(line), std::nullopt) << line;
    }
    EXPECT_EQ(StatusQuery().rfind("SYST:PORT?;OUTP?;SOUR:CHAN0:CODE?;SOUR:CHAN1:CODE?;", 0), 0u);
    ASSERT_EQ(board.Run(StatusQuery()), std::nullopt);
    EXPECT_EQ(board.replies.size(), 2u + ChannelCount);
}

TEST(CtlArguments, RangesAreTheTablesToCheck) {
    // Read as numbers, refused by the command's row when it runs; the usage
    // error then says the row's ranges.
    Instrument board;
    const struct {
        std::vector<std::string_view> words;
        scpi::Error refusal;
    } rows[] = {
        {{"write", "16", "1"}, scpi::Error::HeaderSuffixOutOfRange},
        {{"write", "5", "4096"}, scpi::Error::DataOutOfRange},
        {{"write", "5", "0x1000"}, scpi::Error::DataOutOfRange},
        {{"step", "1", "128"}, scpi::Error::DataOutOfRange},
        {{"step", "1", "-9223372036854775808"}, scpi::Error::DataOutOfRange},
    };
    for (const auto& row : rows) {
        const auto parsed = Parse(row.words);
        ASSERT_TRUE(std::holds_alternative<Plan>(parsed)) << Reason(parsed);
        EXPECT_EQ(board.Run(std::get<Plan>(parsed).commands.at(0).text), row.refusal);
    }
    EXPECT_EQ(ValuesUsage(Action::Write),
              "write takes a channel 0-15 and a code 0-4095 (or 0x000-0xFFF)");
    EXPECT_EQ(ValuesUsage(Action::Step), "step takes a channel 0-15 and a step -127 to 127");
    EXPECT_EQ(ValuesUsage(Action::Status), std::nullopt);
}

TEST(CtlArguments, WordsThatAreNoValuesAreUsageErrors) {
    const struct {
        std::vector<std::string_view> words;
        std::string reason; // a part of it
    } rows[] = {
        {{"write", "x", "1"}, "write takes a channel 0-15 and a code 0-4095"},
        {{"write", "-1", "1"}, "write takes a channel"},
        {{"write", "1", "1e3"}, "write takes a channel"},
        {{"step", "1", "0x10"}, "step takes a channel 0-15 and a step -127 to 127"},
        {{"power", "maybe"}, "power takes on or off"},
        {{"--frob", "status"}, "unknown option --frob"},
        {{"--port", "LPT3", "status"}, "--port takes LPT1, LPT2 or PRN"},
        {{"--virtual-board=yes", "status"}, "--virtual-board takes no value"},
        {{"--vref", "3", "status"}, "--vref sets the virtual board's outputs: it needs"},
        {{"characterise", "--channel", "1"}, "characterise needs --csv FILE"},
        {{"characterise", "--csv", "x.csv"}, "characterise needs --channel N"},
        {{"characterise", "--channel", "1", "--volts", "1", "--csv", "x"},
         "characterise has no option --volts"},
        {{"characterise", "--channel", "1", "--vref", "3", "--csv", "x"},
         "--vref of characterise is now --ideal-vref"},
        {{"characterise", "--channel", "1", "--meter", "a:b:c", "--csv", "x"},
         "--meter takes HOST[:PORT] or /dev/usbtmcN"},
        {{"serve", "--meter-listen", "0"}, "--meter-listen serves the virtual board's simulated"},
        {{"serve", "--listen", "nowhere:1"}, "--listen takes [ADDR:]PORT"},
        {{"serve", "status"}, "must come last"},
        {{"--connect", "a:b:c", "status"}, "--connect takes HOST[:PORT]"},
        {{"--connect", "host", "--port", "LPT2", "status"}, "--port is for a board of this"},
        {{"--connect", "host", "serve"}, "serve can't be sent with --connect"},
    };
    for (const auto& row : rows) {
        const std::string reason = Reason(Parse(row.words));
        EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
    }
}

TEST(CtlArguments, OptionsReachTheirPlaces) {
    const auto parsed =
        Parse({"--virtual-board", "--vref=3.3", "--analog-seed", "7", "--trace", "-x.vcd",
               "characterise", "--channel", "2", "--ideal-vref", "2.5", "--meas", "--csv", "c.csv",
               "serve", "--meter-listen", "127.0.0.1:0"});
    ASSERT_TRUE(std::holds_alternative<Plan>(parsed)) << Reason(parsed);
    const Plan& plan = std::get<Plan>(parsed);
    EXPECT_TRUE(plan.board.virtualBoard);
    EXPECT_EQ(plan.board.analog.vref, 3.3);
    EXPECT_EQ(plan.board.analog.seed, 7u);
    EXPECT_EQ(plan.board.tracePath, "-x.vcd");
    ASSERT_EQ(plan.commands.size(), 2u);
    const CharacteriseOptions& characterise = *plan.commands[0].characterise;
    EXPECT_EQ(characterise.run.channel, 2);
    EXPECT_EQ(characterise.idealVref, 2.5);
    EXPECT_TRUE(characterise.measureEachReading);
    EXPECT_EQ(characterise.csvPath, "c.csv");
    const ServerChoice& served = *plan.commands[1].serve;
    ASSERT_TRUE(served.listen);
    EXPECT_EQ(served.listen->port, 5025); // unless told
    ASSERT_TRUE(served.meterListen);
    EXPECT_EQ(served.meterListen->port, 0);

    const auto connect = Parse({"--connect", "[::1]:6000", "write", "1", "1"});
    ASSERT_TRUE(std::holds_alternative<Plan>(connect)) << Reason(connect);
    EXPECT_EQ(std::get<Plan>(connect).connect->name, "[::1]:6000");
    EXPECT_EQ(std::get<Plan>(connect).connect->address.host, "::1");
    EXPECT_EQ(std::get<Plan>(connect).connect->address.port, 6000);

    // Help wins over any mistake.
    for (const auto& words : {std::vector<std::string_view>{"--frob", "--help"},
                              std::vector<std::string_view>{"-h", "write", "x"}}) {
        const auto help = Parse(words);
        ASSERT_TRUE(std::holds_alternative<Plan>(help)) << Reason(help);
        EXPECT_TRUE(std::get<Plan>(help).help);
    }
}

// The manual page tells of every option the help does: the program's, and
// characterise's and serve's.
TEST(CtlArguments, TheManualPageTellsOfEveryOption) {
    const std::string page = test::SourceFile("packaging/man/qv4130ctl.1");
    ASSERT_FALSE(page.empty());
    const std::string usage = UsageText();
    for (const std::string& option : test::OptionsNamed(usage)) {
        EXPECT_TRUE(test::PageNames(page, option)) << option;
    }
    for (const char* option : {"--ideal-vref <V>", "--listen <[ADDR:]PORT>", "--connect <HOST"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace qv4130::ctl

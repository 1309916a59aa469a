// qv4130's command line, read before the toolkit takes its own options out of it.
#include "ProgramOptions.h"
#include "support/ManualPage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130 {
namespace {

struct Read {
    std::variant<ProgramOptions, std::string> options;
    std::vector<std::string> left; // argv after the program's own path, as the toolkit sees it
};

Read ReadWords(std::vector<std::string> words) {
    words.insert(words.begin(), "qv4130");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(argv.size()) - 1;
    Read read{ReadProgramOptions(argc, argv.data()), {}};
    EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
    read.left.assign(argv.begin() + 1, argv.begin() + argc);
    return read;
}

TEST(ProgramOptions, ValuesAreTakenWhateverTheyLookLikeAndKeptFromTheToolkit) {
    {
        // A value is the next argument even when it looks like an option; the last wins.
        const Read read = ReadWords(
            {"--trace", "-reverse", "-platform", "offscreen", "--trace", "--listen", "/SS"});
        const auto& options = std::get<ProgramOptions>(read.options);
        EXPECT_EQ(options.board.tracePath, "--listen");
        EXPECT_FALSE(options.served.listen);
        EXPECT_EQ(options.argumentText, "-platform offscreen /SS");
        EXPECT_EQ(read.left, (std::vector<std::string>{"-platform", "offscreen", "/SS"}));
    }
    {
        const Read read = ReadWords({"--trace=a.vcd", "/ss", "--virtual-board", "--vref", "3.3",
                                     "--analog-seed=7", "--meter-listen", "0", "--analog-noise",
                                     "0.5", "--listen", "127.0.0.1:5025"});
        const auto& options = std::get<ProgramOptions>(read.options);
        EXPECT_TRUE(options.board.virtualBoard);
        EXPECT_EQ(options.board.tracePath, "a.vcd");
        EXPECT_EQ(options.board.analog.vref, 3.3);
        EXPECT_EQ(options.board.analog.seed, 7u);
        EXPECT_EQ(options.board.analog.noiseLsb, 0.5);
        ASSERT_TRUE(options.served.meterListen);
        EXPECT_EQ(options.served.meterListen->port, 0);
        ASSERT_TRUE(options.served.listen);
        EXPECT_EQ(options.served.listen->port, 5025);
        EXPECT_FALSE(options.characterise);
        // Switches stay: "/SS" is looked for among them too.
        EXPECT_EQ(options.argumentText, "/ss --virtual-board");
        EXPECT_EQ(read.left, (std::vector<std::string>{"/ss", "--virtual-board"}));
    }
    {
        const Read read = ReadWords({"/S", "S", "", "a b", "--characterise"});
        const auto& options = std::get<ProgramOptions>(read.options);
        EXPECT_TRUE(options.characterise);
        EXPECT_EQ(options.argumentText, "/S S  a b --characterise");
        EXPECT_EQ(read.left.size(), 5u);
    }
}

TEST(ProgramOptions, MistakesAreSaidUnlessHelpOrTheVersionIsAskedFor) {
    const struct {
        std::vector<std::string> words;
        const char* mistake; // a part of it; nullptr: none
    } rows[] = {
        {{"--trace"}, "--trace takes a file name"},
        {{"--listen", "/SS"}, "--listen takes [ADDR:]PORT, ADDR an IP address or localhost"},
        {{"--vref", "3"}, "--vref sets the virtual board's outputs: it needs --virtual-board"},
        {{"--meter-listen", "5026"}, "--meter-listen serves the virtual board's simulated meter"},
        {{"--virtual-board", "--vref", "9"}, "--vref takes the reference in volts, 0.5 V to 5 V"},
        {{"--virtual-board", "--analog-noise", "-platform"}, "--analog-noise takes"},
        {{"--virtual-board", "--analog-seed", "x"}, "--analog-seed takes a whole number"},
        {{"--virtual-board=1"}, "--virtual-board takes no value"},
        {{"--listen", "/SS", "--help"}, nullptr},
        {{"--vref", "9", "--version"}, nullptr},
        {{"--unknown", "-platform", "x"}, nullptr}, // the toolkit's to refuse
    };
    for (const auto& row : rows) {
        const Read read = ReadWords(row.words);
        if (row.mistake == nullptr) {
            EXPECT_TRUE(std::holds_alternative<ProgramOptions>(read.options)) << row.words[0];
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::string>(read.options)) << row.mistake;
        EXPECT_NE(std::get<std::string>(read.options).find(row.mistake), std::string::npos)
            << std::get<std::string>(read.options);
    }
    const auto& both = std::get<ProgramOptions>(ReadWords({"--version", "--help"}).options);
    EXPECT_TRUE(both.help);
    EXPECT_TRUE(both.version);
}

TEST(ProgramOptions, UsageNamesTheProgramAndEveryOption) {
    const std::string usage = UsageText();
    EXPECT_EQ(usage.rfind("Usage: qv4130 [options] [/SS]\n", 0), 0u) << usage;
    for (const char* option :
         {"--virtual-board", "--trace <FILE.vcd>", "--listen <[ADDR:]PORT>", "--vref <V>",
          "--analog-seed <N>", "--analog-noise <LSB>", "--meter-listen <[ADDR:]PORT>",
          "--characterise", "--help", "--version", "/SS"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

// The manual page tells of every option the help does.
TEST(ProgramOptions, TheManualPageTellsOfEveryOption) {
    const std::string page = test::SourceFile("packaging/man/qv4130.1");
    ASSERT_FALSE(page.empty());
    for (const std::string& option : test::OptionsNamed(UsageText())) {
        EXPECT_TRUE(test::PageNames(page, option)) << option;
    }
}

} // namespace
} // namespace qv4130

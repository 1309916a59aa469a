// qv4130's command line, read before the toolkit takes its own options out of it.
#include "ProgramOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130 {
namespace {

struct Row {
    std::vector<std::string> words; // after the program's own path
    ProgramOptions options;
    std::string argumentText;                // what "/SS" is looked for in
    std::vector<std::string> leftForToolkit; // after the program's own path
};

TEST(ProgramOptions, ValuesAreTakenWhateverTheyLookLikeAndKeptFromTheToolkit) {
    const Row rows[] = {
        // A value is the next argument even when it looks like an option; the last wins.
        {{"--trace", "-reverse", "-platform", "offscreen", "--listen", "/SS", "--trace",
          "--listen"},
         {false, false, false, "--listen", "/SS", {}, {}},
         "-platform offscreen",
         {"-platform", "offscreen"}},
        {{"--trace=a.vcd", "/ss", "--virtual-board", "--vref", "-3", "--analog-seed=7",
          "--meter-listen", "--help"},
         {false, false, true, "a.vcd", std::nullopt, "-3", "7", "--help"},
         "/ss --virtual-board",
         {"/ss", "--virtual-board"}},
        {{"/SS", "--version"},
         {false, true, false, {}, {}, {}, {}},
         "/SS --version",
         {"/SS", "--version"}},
        {{"--characterise", "--virtual-board", "--analog-noise", "-platform"},
         {false, false, true, {}, {}, {}, {}, {}, true, "-platform"},
         "--characterise --virtual-board",
         {"--characterise", "--virtual-board"}},
        {{"--version", "--help"},
         {true, true, false, {}, {}, {}, {}},
         "--version --help",
         {"--version", "--help"}},
        {{"--trace"}, {false, false, false, "", {}, {}, {}}, "", {}},
        {{"/S", "S", "", "a b"}, {}, "/S S  a b", {"/S", "S", "", "a b"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> words{"qv4130"};
        words.insert(words.end(), row.words.begin(), row.words.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const int argc = static_cast<int>(argv.size()) - 1;
        const std::string label = row.argumentText;

        const ProgramOptions options = ParseProgramOptions(argc, argv.data());
        EXPECT_EQ(options.help, row.options.help) << label;
        EXPECT_EQ(options.version, row.options.version) << label;
        EXPECT_EQ(options.virtualBoard, row.options.virtualBoard) << label;
        EXPECT_EQ(options.tracePath, row.options.tracePath) << label;
        EXPECT_EQ(options.listenText, row.options.listenText) << label;
        EXPECT_EQ(options.vrefText, row.options.vrefText) << label;
        EXPECT_EQ(options.analogSeedText, row.options.analogSeedText) << label;
        EXPECT_EQ(options.characterise, row.options.characterise) << label;
        EXPECT_EQ(options.meterListenText, row.options.meterListenText) << label;
        EXPECT_EQ(options.analogNoiseText, row.options.analogNoiseText) << label;
        EXPECT_EQ(ArgumentText(argc, argv.data()), row.argumentText) << label;

        const int kept = RemoveValueOptions(argc, argv.data());
        EXPECT_EQ(std::vector<std::string>(argv.begin() + 1, argv.begin() + kept),
                  row.leftForToolkit)
            << label;
        EXPECT_EQ(argv[static_cast<std::size_t>(kept)], nullptr) << label;
    }
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

} // namespace
} // namespace qv4130

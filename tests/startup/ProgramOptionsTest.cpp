// qv4130's command line, read before the toolkit takes its own options out of it.
#include "app/ProgramOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qv4130 {
namespace {

TEST(ProgramOptions, ValuesAreTakenWhateverTheyLookLikeAndKeptFromTheToolkit) {
    const struct {
        std::vector<std::string> words;          // after the program's own path
        std::string mistakeOrTrace;              // a part of the mistake, or the trace's path
        std::vector<std::string> leftForToolkit; // also what "/SS" is looked for in
    } rows[] = {
        // A value is the next argument even when it looks like an option; the last wins.
        {{"--trace", "-reverse", "-platform", "offscreen", "--trace", "--listen", "/SS"},
         "--listen",
         {"-platform", "offscreen", "/SS"}},
        {{"--trace=a.vcd", "/ss", "--virtual-board", "--vref", "3.3", "--meter-listen", "0"},
         "a.vcd",
         {"/ss", "--virtual-board"}},
        {{"/S", "S", "", "a b", "--characterise", "--trace", "t"},
         "t",
         {"/S", "S", "", "a b", "--characterise"}},
        {{"--trace"}, "--trace takes a file name", {}},
        {{"--vref", "3"}, "--vref sets the virtual board's outputs: it needs --virtual-board", {}},
        {{"--meter-listen", "1"}, "--meter-listen serves the virtual board's simulated meter", {}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> words{"qv4130"};
        words.insert(words.end(), row.words.begin(), row.words.end());
        std::vector<char*> argv(words.size() + 1); // ends in a null pointer
        std::ranges::transform(words, argv.begin(), [](std::string& word) { return word.data(); });
        int argc = static_cast<int>(argv.size()) - 1;
        const auto read = ReadProgramOptions(argc, argv.data());
        if (!read) {
            EXPECT_NE(read.Error().find(row.mistakeOrTrace), std::string::npos) << read.Error();
            continue;
        }
        const ProgramOptions& options = *read;
        EXPECT_EQ(options.board.tracePath, row.mistakeOrTrace);
        EXPECT_EQ(std::vector<std::string>(argv.begin() + 1, argv.begin() + argc),
                  row.leftForToolkit);
        EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
        std::string text;
        for (const std::string& word : row.leftForToolkit) {
            text += (text.empty() ? "" : " ") + word;
        }
        EXPECT_EQ(options.argumentText, text);
    }
}

} // namespace
} // namespace qv4130

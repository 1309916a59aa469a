// Options declared once, read and explained from their declarations: the
// reader both programs' command lines and qv4130ctl's commands' options share.
#include "setup/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130::options {
namespace {

struct Settings {
    bool fast = false;
    bool help = false;
    std::string file;
    int count = 0;
};

constexpr Option<Settings> Declared[] = {
    {{.name = "fast", .help = "Go fast."},
     [](Settings& s, std::string_view) -> Mistake {
         s.fast = true;
         return std::nullopt;
     }},
    {{.name = "file", .value = "FILE", .help = "Where it goes.", .required = true},
     [](Settings& s, std::string_view v) -> Mistake {
         s.file = std::string(v);
         return v.empty() ? Mistake("takes a file name") : std::nullopt;
     }},
    {{.name = "count",
      .value = "N",
      .help = "How many, a number that this help takes a good many words to explain so that it "
              "has to be wrapped.",
      .needs = "fast",
      .needsBecause = "counts fast things"},
     [](Settings& s, std::string_view v) -> Mistake {
         s.count = static_cast<int>(v.size());
         return std::nullopt;
     }},
    {{.name = "help", .help = "This.", .letter = 'h'},
     [](Settings& s, std::string_view) -> Mistake {
         s.help = true;
         return std::nullopt;
     }},
    {{.name = "old", .value = "X", .hidden = true},
     [](Settings&, std::string_view) -> Mistake { return "is now --count"; }},
};

struct Leading {
    Settings settings;
    std::size_t next = 0;
    Mistake mistake;
};

Leading ReadLeading(std::vector<std::string_view> words, std::string owner = {}) {
    Leading read;
    OptionSet set(std::move(owner));
    set.Add(std::span(Declared), read.settings);
    read.next = set.ReadLeading(words);
    read.mistake = set.FirstMistake();
    return read;
}

TEST(CommandLine, LeadingOptionsEndAtTheFirstWordThatIsNone) {
    Leading read = ReadLeading({"--fast", "--file", "-x", "--count=abc", "go", "--fast"});
    EXPECT_EQ(read.mistake, std::nullopt);
    EXPECT_EQ(read.next, 4u);
    EXPECT_TRUE(read.settings.fast);
    EXPECT_EQ(read.settings.file, "-x"); // a value, whatever it looks like
    EXPECT_EQ(read.settings.count, 3);

    read = ReadLeading({"--file", "a", "--file", "b", "--", "--fast"});
    EXPECT_EQ(read.next, 5u); // "--" is read, and ends them
    EXPECT_EQ(read.settings.file, "b");
    EXPECT_FALSE(read.settings.fast);

    read = ReadLeading({"-h"});
    EXPECT_TRUE(read.settings.help);
}

TEST(CommandLine, MistakesAreSaidWithTheOptionsNameAndTheFirstIsKept) {
    const struct {
        std::vector<std::string_view> words;
        std::string owner;
        std::string mistake;
    } rows[] = {
        {{"--file", "x", "--slow"}, "", "unknown option --slow"},
        {{"--file", "x", "--slow"}, "go", "go has no option --slow"},
        {{"--fast=yes", "--file", "x"}, "", "--fast takes no value"},
        {{"--file"}, "", "--file takes a file name"},
        {{"--fast"}, "go", "go needs --file FILE"},
        {{"--file", "x", "--count", "3"}, "", "--count counts fast things: it needs --fast"},
        {{"--file", "x", "--old", "3"}, "", "--old is now --count"},
        {{"--slow", "--file"}, "", "unknown option --slow"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadLeading(row.words, row.owner).mistake, row.mistake);
    }
    // Read on past a mistake: a switch asked for still counts.
    EXPECT_TRUE(ReadLeading({"--slow", "--help"}).settings.help);
}

TEST(CommandLine, OptionsAnywhereLeaveTheOtherWordsAndTheSwitches) {
    Settings settings;
    OptionSet set;
    set.Add(std::span(Declared), settings);
    const std::vector<std::string_view> words{"-platform", "x",      "--file",  "--fast",
                                              "/SS",       "--fast", "--count", ""};
    EXPECT_EQ(set.ReadAnywhere(words), (std::vector<std::size_t>{0, 1, 4, 5}));
    EXPECT_EQ(set.FirstMistake(), std::nullopt);
    EXPECT_EQ(settings.file, "--fast");
    EXPECT_TRUE(settings.fast);
    EXPECT_TRUE(set.Given("count"));
}

TEST(CommandLine, TheHelpShowsEachOptionWithItsValueWrapped) {
    Settings settings;
    OptionSet set;
    set.Add(std::span(Declared), settings);
    EXPECT_EQ(set.Help(15, 60), "  --fast       Go fast.\n"
                                "  --file <FILE>\n"
                                "               Where it goes.\n"
                                "  --count <N>  How many, a number that this help takes a\n"
                                "               good many words to explain so that it has to\n"
                                "               be wrapped.\n"
                                "  -h, --help   This.\n");
}

} // namespace
} // namespace qv4130::options

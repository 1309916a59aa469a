#include "ProgramOptions.h"

#include "host/AppIdentity.h"
#include "setup/BoardOptions.h"

#include <string_view>
#include <vector>

namespace qv4130 {

namespace {

using options::Mistake;
using options::Option;

// The program's own options; the board's and the server's are shared with
// qv4130ctl (src/setup).
constexpr Option<ProgramOptions> Own[] = {
    {{.name = "characterise",
      .help = "Open the Characterise window beside the main window, on the port start-up found, "
              "to measure a channel's linearity with a meter (on the virtual board, its "
              "simulated one)."},
     [](ProgramOptions& o, std::string_view) -> Mistake {
         o.characterise = true;
         return std::nullopt;
     }},
    {{.name = "help", .help = "Print this text and exit."},
     [](ProgramOptions& o, std::string_view) -> Mistake {
         o.help = true;
         return std::nullopt;
     }},
    {{.name = "version", .help = "Print the program's version and exit."},
     [](ProgramOptions& o, std::string_view) -> Mistake {
         o.version = true;
         return std::nullopt;
     }},
};

// Every option of the program, each into its part of `options`.
options::OptionSet Declared(ProgramOptions& options) {
    options::OptionSet set;
    set.Add(BoardChoiceOptions(), options.board)
        .Add(ServerChoiceOptions(), options.served)
        .Add(std::span(Own), options);
    return set;
}

} // namespace

Result<ProgramOptions> ReadProgramOptions(int& argc, char** argv) {
    std::vector<std::string_view> words;
    for (int i = 1; i < argc; ++i) {
        words.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    ProgramOptions options;
    options::OptionSet declared = Declared(options);
    const std::vector<std::size_t> left = declared.ReadAnywhere(words);
    int kept = argc > 0 ? 1 : 0;
    for (const std::size_t i : left) {
        options.argumentText.append(kept > 1 ? " " : "").append(words[i]);
        argv[kept++] = argv[i + 1];
    }
    if (kept < argc) {
        argv[kept] = nullptr;
    }
    argc = kept;
    if (const auto& mistake = declared.FirstMistake();
        mistake && !options.help && !options.version) {
        return Failure{*mistake};
    }
    return options;
}

std::string VersionText() {
    return std::string("qv4130 ") + identity::Version;
}

std::string UsageText() {
    ProgramOptions unused;
    return "Usage: qv4130 [options] [/SS]\n"
           "Exercises a QV4130 evaluation board on the PC's printer port; with --listen, SCPI\n"
           "clients drive the same board, and what they change shows in the windows.\n\n"
           "Options:\n" +
           Declared(unused).Help() + "\nArguments:\n" +
           options::Wrapped("Show the operating system and port address at start-up (any "
                            "letter case, anywhere in the arguments).",
                            "  [/SS]", 26, 79);
}

} // namespace qv4130

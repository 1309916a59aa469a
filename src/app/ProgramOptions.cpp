#include "ProgramOptions.h"

#include "host/AppIdentity.h"

#include <QCommandLineParser>
#include <QStringList>

#include <string_view>
#include <vector>

namespace qv4130 {

namespace {

// The program's options, declared once: the parse and the help text both come
// from here.
struct Declared {
    QCommandLineOption virtualBoard{
        "virtual-board",
        "Run on a simulated printer port with a simulated QV4130 on it, and show what the chip "
        "receives."};
    QCommandLineOption trace{"trace",
                             "Record every byte written to the board's port, with its time, in "
                             "FILE.vcd (a Value Change Dump for PulseView, sigrok-cli or GTKWave).",
                             "FILE.vcd"};
    QCommandLineOption listen{
        "listen",
        "Serve SCPI over TCP from the program itself, as qv4130ctl serve does; on the loopback "
        "address unless ADDR is given; port 0 picks a free port. Prints where it listens; what "
        "clients change shows in the windows.",
        "[ADDR:]PORT"};
    QCommandLineOption vref{"vref",
                            "The virtual board's reference in volts (2.5): what its outputs put "
                            "out. Only with --virtual-board.",
                            "V"};
    QCommandLineOption analogSeed{"analog-seed",
                                  "Draws the virtual board's per-channel offset, gain error and "
                                  "non-linearity from N (1). Only with --virtual-board.",
                                  "N"};
    QCommandLineOption analogNoise{"analog-noise",
                                   "Gives every reading of the virtual board's outputs noise of "
                                   "LSB (0 to 100) standard deviation (0). Only with "
                                   "--virtual-board.",
                                   "LSB"};
    QCommandLineOption characterise{
        "characterise",
        "Open the Characterise window beside the main window, on the port start-up found, to "
        "measure a channel's linearity with a meter (on the virtual board, its simulated one)."};
    QCommandLineOption meterListen{
        "meter-listen",
        "Serve the virtual board's simulated meter over TCP (SCPI: ROUT:CLOS (@n), MEAS:VOLT:DC?), "
        "measuring its outputs, as --listen serves the board. Only with --virtual-board.",
        "[ADDR:]PORT"};
    QCommandLineOption help{"help", "Print this text and exit."};
    QCommandLineOption version{"version", "Print the program's version and exit."};

    void AddTo(QCommandLineParser& parser) const {
        // "-platform" is one of the toolkit's options, never "-p -l -a ...".
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            "Exercises a QV4130 evaluation board on the PC's printer port.");
        parser.addOptions({virtualBoard, trace, listen, vref, analogSeed, analogNoise, meterListen,
                           characterise, help, version});
        parser.addPositionalArgument(
            "/SS",
            "Show the operating system and port address at start-up (any letter case, anywhere "
            "in the arguments).",
            "[/SS]");
    }
};

// "--trace", "--listen", ...: every declared option that takes a value, made once.
const std::vector<std::string>& ValueOptionNames() {
    static const std::vector<std::string> names = [] {
        const Declared declared;
        std::vector<std::string> found;
        for (const QCommandLineOption& option :
             {declared.trace, declared.listen, declared.vref, declared.analogSeed,
              declared.analogNoise, declared.meterListen}) {
            found.push_back("--" + option.names().constFirst().toStdString());
        }
        return found;
    }();
    return names;
}

// A value-carrying option, alone (its value follows) or with "=VALUE".
bool CarriesValue(std::string_view argument, bool& valueFollows) {
    for (const std::string& name : ValueOptionNames()) {
        if (argument == name || argument.starts_with(name + "=")) {
            valueFollows = argument == name;
            return true;
        }
    }
    return false;
}

// Calls `keep` with the index of every argument after the program's own path
// that is neither a value-carrying option nor its value.
template <typename Keep> void ForEachPlainArgument(int argc, const char* const* argv, Keep keep) {
    for (int i = 1; i < argc; ++i) {
        bool valueFollows = false;
        if (CarriesValue(argv[i] != nullptr ? argv[i] : "", valueFollows)) {
            i += valueFollows ? 1 : 0;
        } else {
            keep(i);
        }
    }
}

} // namespace

ProgramOptions ParseProgramOptions(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i] != nullptr ? argv[i] : "");
    }
    const Declared declared;
    QCommandLineParser parser;
    declared.AddTo(parser);
    // Unknown options are the toolkit's; a parse error only matters for our own.
    (void)parser.parse(arguments);

    ProgramOptions options;
    options.help = parser.isSet(declared.help);
    options.version = parser.isSet(declared.version);
    options.virtualBoard = parser.isSet(declared.virtualBoard);
    options.characterise = parser.isSet(declared.characterise);
    // The last value given wins; "--trace" ending the line gives an empty one.
    if (parser.isSet(declared.trace)) {
        options.tracePath = parser.value(declared.trace).toStdString();
    }
    const auto given = [&](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional(parser.value(option).toStdString())
                                    : std::nullopt;
    };
    options.listenText = given(declared.listen);
    options.vrefText = given(declared.vref);
    options.analogSeedText = given(declared.analogSeed);
    options.analogNoiseText = given(declared.analogNoise);
    options.meterListenText = given(declared.meterListen);
    return options;
}

int RemoveValueOptions(int argc, char** argv) {
    int kept = argc > 0 ? 1 : 0;
    ForEachPlainArgument(argc, argv, [&](int i) { argv[kept++] = argv[i]; });
    if (kept < argc) {
        argv[kept] = nullptr;
    }
    return kept;
}

std::string ArgumentText(int argc, const char* const* argv) {
    std::string text;
    bool first = true;
    ForEachPlainArgument(argc, argv, [&](int i) {
        text += first ? "" : " ";
        text += argv[i] != nullptr ? argv[i] : "";
        first = false;
    });
    return text;
}

std::string VersionText() {
    return std::string("qv4130 ") + identity::Version;
}

std::string UsageText() {
    QCommandLineParser parser;
    Declared{}.AddTo(parser);
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(" [options]");
    return "Usage: qv4130" + text.mid(options).toStdString();
}

} // namespace qv4130

#include "CtlArguments.h"

#include "text/PlainText.h"

#include "board/Board.h"
#include "board/BoardVocabulary.h"
#include "characterise/MeterAddress.h"
#include "host/AppIdentity.h"
#include "scpi/CommandHelp.h"
#include "setup/AnalogOptions.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <array>

namespace qv4130::ctl {

namespace {

// Decimal, or hexadecimal after 0x when `hexAllowed`; the whole text must be the number.
std::optional<std::int64_t> Number(std::string_view text, bool hexAllowed) {
    int base = 10;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    return qv4130::text::ParseWhole<std::int64_t>(text, base);
}

std::optional<std::int64_t> InRange(std::optional<std::int64_t> value, std::int64_t lowest,
                                    std::int64_t highest) {
    return value && *value >= lowest && *value <= highest ? value : std::nullopt;
}

std::optional<PortMenuItem> PortNamed(std::string_view name) {
    for (const PortMenuItem item : PortMenuItems) {
        if (qv4130::text::EqualsIgnoringCase(name, PortMenuName(item))) {
            return item;
        }
    }
    return std::nullopt;
}

// Walks the command words once; each command takes its own values.
class Reader {
public:
    explicit Reader(const QStringList& words) : words_(words) {}

    bool Done() const { return next_ >= words_.size(); }
    std::string Take() { return Done() ? std::string() : words_[next_++].toStdString(); }
    std::optional<std::string> Value() { return Done() ? std::nullopt : std::optional(Take()); }
    std::string Peek() const { return Done() ? std::string() : words_[next_].toStdString(); }

private:
    const QStringList& words_;
    qsizetype next_ = 0;
};

using ReadResult = std::variant<Command, UsageError>;

std::optional<std::int64_t> Channel(Reader& reader) {
    return InRange(Number(reader.Take(), false), 0, ChannelCount - 1);
}

ReadResult ReadWrite(Reader& reader) {
    const auto channel = Channel(reader);
    const auto code = InRange(Number(reader.Take(), true), 0, FullScaleCode);
    if (!channel || !code) {
        return UsageError{"write takes a channel 0-15 and a code 0-4095 (or 0x000-0xFFF)"};
    }
    return Command{Action::Write, *channel, *code, {}};
}

ReadResult ReadStep(Reader& reader) {
    const auto channel = Channel(reader);
    const auto step = InRange(Number(reader.Take(), false), -MaxStep, MaxStep);
    if (!channel || !step) {
        return UsageError{"step takes a channel 0-15 and a step -127 to 127"};
    }
    return Command{Action::Step, *channel, *step, {}};
}

ReadResult ReadPower(Reader& reader) {
    const std::string state = reader.Take();
    if (state != "on" && state != "off") {
        return UsageError{"power takes on or off"};
    }
    return Command{Action::Power, 0, state == "on" ? 1 : 0, {}};
}

template <Action action> ReadResult ReadBare(Reader& /*reader*/) {
    return Command{action, 0, 0, {}};
}

ReadResult ReadScpi(Reader& reader) {
    const auto text = reader.Value();
    if (!text) {
        return UsageError{"scpi takes the SCPI commands as one argument"};
    }
    return Command{Action::Scpi, 0, 0, *text};
}

ReadResult ReadRun(Reader& reader) {
    const auto path = reader.Value();
    if (!path) {
        return UsageError{"run takes a script file, or - for standard input"};
    }
    return Command{Action::Run, 0, 0, *path};
}

ReadResult ReadServe(Reader& reader) {
    Command serve{Action::Serve, 0, 0, {}};
    while (reader.Peek() == "--listen" || reader.Peek() == "--meter-listen") {
        const std::string option = reader.Take();
        const auto address = reader.Value();
        if (!address) {
            return UsageError{option + " takes ADDR:PORT"};
        }
        (option == "--listen" ? serve.text : serve.meterListen.emplace()) = *address;
    }
    return serve;
}

// Everything after "characterise" up to the next word that is not an option.
ReadResult ReadCharacterise(Reader& reader) {
    std::vector<std::string> words;
    while (!reader.Done() && reader.Peek().starts_with("--")) {
        words.push_back(reader.Take());
        if (words.back() != "--meas" && !reader.Done()) {
            words.push_back(reader.Take());
        }
    }
    auto options = ParseCharacteriseOptions(words);
    if (auto* reason = std::get_if<std::string>(&options)) {
        return UsageError{*reason};
    }
    Command command{Action::Characterise, 0, 0, {}};
    command.characterise = std::get<CharacteriseOptions>(std::move(options));
    return command;
}

std::string ChannelHeader(const Command& command) {
    return "SOUR:CHAN" + std::to_string(command.channel);
}

// "status" asks a server for all it prints at once.
std::string StatusQueries(const Command& /*command*/) {
    std::string text = "SYST:PORT?;OUTP?";
    for (int channel = 0; channel < ChannelCount; ++channel) {
        text += ";SOUR:CHAN" + std::to_string(channel) + ":CODE?";
    }
    return text;
}

// A command of qv4130ctl: its word, what follows it, what it does (the help's
// lines, each after the first indented under the first), how it is read, and
// the SCPI line that does it on a server (--connect); none where the command
// is not one line (run sends its script's lines, characterise a word per code,
// serve is a server itself).
struct CommandDeclaration {
    std::string_view word;
    Action action;
    std::string_view syntax;
    std::string_view description;
    ReadResult (*read)(Reader&);
    std::string (*scpi)(const Command&);
};

constexpr std::array<CommandDeclaration, 10> Commands{{
    {"write", Action::Write, "CH CODE",
     "a mode-0 word: CODE (0-4095, decimal or 0x...) to channel\nCH (0-15)", ReadWrite,
     [](const Command& c) { return ChannelHeader(c) + ":CODE " + std::to_string(c.value); }},
    {"step", Action::Step, "CH N",
     "a step word: N from -127 to 127; up when N > 0 (mode 1),\ndown when N < 0 (mode 2), a "
     "step of 0 when N is 0",
     ReadStep,
     [](const Command& c) { return ChannelHeader(c) + ":STEP " + std::to_string(c.value); }},
    {"power", Action::Power, "on|off", "power the chip up (byte 20) or down (byte 28)", ReadPower,
     [](const Command& c) { return std::string(c.value != 0 ? "OUTP ON" : "OUTP OFF"); }},
    {"reset", Action::Reset, "", "the reset pulse: every channel to 0 on the chip",
     ReadBare<Action::Reset>, [](const Command&) { return std::string("*RST"); }},
    {"sweep", Action::Sweep, "",
     "the test sweep: code 3072 to channels 0 to 15 in turn,\neach word followed by its pause",
     ReadBare<Action::Sweep>, [](const Command&) { return std::string("DIAG:SWE"); }},
    {"status", Action::Status, "", "print the port, the power state and the 16 channel codes",
     ReadBare<Action::Status>, StatusQueries},
    {"scpi", Action::Scpi, "'CMD; CMD?'", "run SCPI commands and print each reply on its own line",
     ReadScpi, [](const Command& c) { return c.text; }},
    {"run", Action::Run, "FILE",
     "run a SCPI script, one line of commands per line; a # at\nthe start of a line, or after a "
     "blank and before a blank,\nstarts a comment; stops at the first error and names its\nline. "
     "FILE - reads standard input; otherwise FILE must be\na regular file. Lines are at most "
     "64 KiB",
     ReadRun, nullptr},
    {"characterise", Action::Characterise, "--channel N --csv FILE [--png FILE] [...]",
     CharacteriseHelp, ReadCharacterise, nullptr},
    {"serve", Action::Serve, "[--listen ADDR:PORT] [--meter-listen ADDR:PORT]",
     "serve SCPI over TCP, one line of commands per line, until\nSIGTERM or SIGINT; "
     "127.0.0.1:5025 unless told; port 0\npicks a free port. Prints where it listens. Must be "
     "the\nlast command. Each client has its own error queue; the\nboard is shared by all. "
     "--meter-listen also serves the\nvirtual board's simulated meter (ROUT:CLOS (@n),\n"
     "MEAS:VOLT:DC?, READ?, CONF:VOLT:DC, SYST:ERR?), with\none error queue for all its clients",
     ReadServe, nullptr},
}};

const CommandDeclaration& Declaration(Action action) {
    return *std::find_if(Commands.begin(), Commands.end(),
                         [action](const CommandDeclaration& c) { return c.action == action; });
}

ReadResult ReadCommand(const std::string& word, Reader& reader) {
    for (const CommandDeclaration& command : Commands) {
        if (word == command.word) {
            return command.read(reader);
        }
    }
    return UsageError{"unknown command '" + qv4130::text::Printable(word) + "'"};
}

// The options, declared once: the parse and the help both come from here.
struct Declared {
    QCommandLineOption virtualBoard{
        "virtual-board", "Drive a simulated board of this process's own instead of the printer "
                         "port (status then shows the chip's own codes)."};
    QCommandLineOption port{"port",
                            "Use that port's address (888, 632, 956) instead of the one the port "
                            "library reports for port 1.",
                            "LPT1|LPT2|PRN"};
    QCommandLineOption trace{"trace",
                             "Record every write to the port's data register, with its time, in a "
                             "Value Change Dump (DIN, SCLK, SYNC, PD, RESET) that PulseView, "
                             "sigrok-cli and GTKWave open.",
                             "FILE.vcd"};
    QCommandLineOption vref{"vref",
                            "The virtual board's reference in volts (2.5): its outputs, and the "
                            "simulated meter's readings, scale with it. Only with --virtual-board.",
                            "V"};
    QCommandLineOption analogSeed{
        "analog-seed",
        "Draws the virtual board's per-channel offset, gain error and non-linearity from N "
        "(1), so a run can be repeated. Only with --virtual-board.",
        "N"};
    QCommandLineOption analogNoise{
        "analog-noise",
        "Gives every reading of the virtual board's outputs noise of LSB (0 to 100) standard "
        "deviation (0), for --average to work on. Only with --virtual-board.",
        "LSB"};
    QCommandLineOption connect{
        "connect",
        "Send the commands as SCPI to the board of a running qv4130 --listen or qv4130ctl "
        "serve (port 5025 unless given) instead of driving one here; the output is the same.",
        "HOST[:PORT]"};
    QCommandLineOption help{{"h", "help"}, "Print this text and exit."};
    QCommandLineOption version{"version", "Print the version and exit."};

    // Options come before the commands, so that a command's values ("step 1 -3",
    // "serve --listen ...") are never read as options.
    void AddTo(QCommandLineParser& parser) const {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
        parser.setApplicationDescription(
            "Drives a QV4130 evaluation board on the PC's printer port from scripts and\nSCPI "
            "clients. The commands run in the order given.");
        parser.addOptions(
            {virtualBoard, port, trace, vref, analogSeed, analogNoise, connect, help, version});
        parser.addPositionalArgument("COMMAND", "One of the commands below, with its values.",
                                     "COMMAND...");
    }
};

// What --connect can't be combined with: a board of this process's own, and
// the commands that are not lines of SCPI.
std::optional<std::string> ConnectMistake(const Plan& plan, const QCommandLineParser& parser,
                                          const Declared& declared) {
    const auto address = characterise::ParseMeterAddress(*plan.connect);
    if (!address || !std::holds_alternative<characterise::TcpAddress>(*address)) {
        return "--connect takes HOST[:PORT]";
    }
    for (const QCommandLineOption* local :
         {&declared.virtualBoard, &declared.port, &declared.trace, &declared.vref,
          &declared.analogSeed, &declared.analogNoise}) {
        if (parser.isSet(*local)) {
            return "--connect drives the server's board: --" +
                   local->names().constFirst().toStdString() + " is for a board of this process";
        }
    }
    for (const Command& command : plan.commands) {
        if (command.action == Action::Serve) {
            return "serve can't be sent with --connect";
        }
        if (command.action == Action::Characterise && !command.characterise->meter) {
            return "characterise with --connect needs --meter (the served board's own: serve "
                   "--meter-listen)";
        }
    }
    return std::nullopt;
}

std::string CommandsHelp() {
    std::string text = "Commands:\n";
    constexpr std::size_t Column = 23;
    for (const CommandDeclaration& command : Commands) {
        std::string head = "  " + std::string(command.word);
        if (!command.syntax.empty()) {
            // Appended, not " " + syntax: GCC 12 at -O3 takes that for an overlapping copy.
            head.append(" ").append(command.syntax);
        }
        text += head.size() < Column - 1 ? head + std::string(Column - head.size(), ' ')
                                         : head + "\n" + std::string(Column, ' ');
        for (const char c : command.description) {
            text += c == '\n' ? "\n" + std::string(Column, ' ') : std::string(1, c);
        }
        text += '\n';
    }
    return text;
}

} // namespace

std::variant<Plan, UsageError> ParseArguments(const std::vector<std::string_view>& arguments) {
    QStringList words{"qv4130ctl"};
    for (const std::string_view argument : arguments) {
        words << QString::fromLocal8Bit(argument.data(), static_cast<qsizetype>(argument.size()));
    }
    const Declared declared;
    QCommandLineParser parser;
    declared.AddTo(parser);
    const bool parsed = parser.parse(words);
    Plan plan;
    plan.help = parser.isSet(declared.help);
    plan.version = parser.isSet(declared.version);
    if (plan.help || plan.version) {
        return plan;
    }
    if (!parsed) {
        return UsageError{parser.errorText().toStdString()};
    }
    plan.virtualBoard = parser.isSet(declared.virtualBoard);
    if (parser.isSet(declared.port)) {
        plan.port = PortNamed(parser.value(declared.port).toStdString());
        if (!plan.port) {
            return UsageError{"--port takes LPT1, LPT2 or PRN"};
        }
    }
    if (parser.isSet(declared.trace)) {
        if (parser.value(declared.trace).isEmpty()) {
            return UsageError{"--trace takes a file name"};
        }
        plan.tracePath = parser.value(declared.trace).toStdString();
    }
    const auto given = [&](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional(parser.value(option).toStdString())
                                    : std::nullopt;
    };
    if (auto reason = ApplyAnalogOptions(
            {given(declared.vref), given(declared.analogSeed), given(declared.analogNoise)},
            plan.virtualBoard, plan.analog)) {
        return UsageError{*reason};
    }
    const QStringList commandWords = parser.positionalArguments();
    Reader reader(commandWords);
    while (!reader.Done()) {
        if (!plan.commands.empty() && plan.commands.back().action == Action::Serve) {
            return UsageError{"serve runs until stopped, so it must come last"};
        }
        auto command = ReadCommand(reader.Take(), reader);
        if (auto* error = std::get_if<UsageError>(&command)) {
            return *error;
        }
        plan.commands.push_back(std::get<Command>(std::move(command)));
    }
    if (plan.commands.empty()) {
        return UsageError{"no command given"};
    }
    if (parser.isSet(declared.connect)) {
        plan.connect = parser.value(declared.connect).toStdString();
        if (auto reason = ConnectMistake(plan, parser, declared)) {
            return UsageError{*reason};
        }
    }
    if (!plan.virtualBoard && plan.commands.back().meterListen) {
        return UsageError{"--meter-listen serves the virtual board's simulated meter: it needs "
                          "--virtual-board"};
    }
    return plan;
}

std::string_view CommandWord(Action action) {
    return Declaration(action).word;
}

std::optional<std::string> ScpiText(const Command& command) {
    const auto scpi = Declaration(command.action).scpi;
    return scpi != nullptr ? std::optional(scpi(command)) : std::nullopt;
}

std::string VersionText() {
    return std::string("qv4130ctl ") + identity::Version;
}

namespace {
// What the help says after the commands; the SCPI commands come from the
// interpreter's own table.
constexpr const char* Notes =
    R"(The port is found as the program's start-up finds it (claim port 1, ask its base
address), and the control register's data lines are made outputs. RESET never
goes low and PD never goes high unless asked for (reset, power off); before the
first word the lines go to the idle state a word starts from (byte 22).

SCPI commands (case-insensitive; the upper-case part is the short form; ';'
separates commands, and a header without a leading ':' goes on from the last
one's parent; numbers are decimal or #H, #Q, #B non-decimal, and MIN, MAX,
DEFault stand for a number's limits, which its query answers too: CODE? MAX):
)";

// After the SCPI commands.
constexpr const char* ClosingNotes =
    R"(A refused command sends nothing, and an error ends its line.

Exit status: 0 success, 1 the port or a command failed (the reason on standard
error; a command fails when its bytes could not reach the board, as when the
port's claim was refused) or the output could not be written (its reader gone:
SIGPIPE is ignored, and a server goes on serving), 2 a usage error.
)";
} // namespace

std::string UsageText() {
    QCommandLineParser parser;
    Declared{}.AddTo(parser);
    // Without an application object the parser cannot know the program's name.
    const QString options = parser.helpText();
    return "Usage: qv4130ctl" + options.mid(options.indexOf(" [options]")).toStdString() + '\n' +
           CommandsHelp() + '\n' + Notes + scpi::CommandListText() + ClosingNotes;
}

} // namespace qv4130::ctl

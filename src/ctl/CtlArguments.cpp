#include "CtlArguments.h"

#include "BoardStatus.h"
#include "TableRows.h"
#include "host/AppIdentity.h"
#include "qv4130/BoardVocabulary.h"
#include "qv4130/PlainText.h"
#include "scpi/CommandHelp.h"
#include "setup/BoardOptions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <span>

namespace qv4130::ctl {

namespace {

using options::Mistake;
using options::Option;
using options::OptionSet;

// A command's number as written: decimal, or hexadecimal after 0x when
// `hexAllowed`; the whole word must be the number. Its range is its SCPI
// command's to check.
std::optional<std::int64_t> Number(std::string_view text, bool hexAllowed) {
    int base = 10;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    return text::ParseWhole<std::int64_t>(text, base);
}

// A channel as written: decimal digits, no sign, as a header's suffix is.
std::optional<unsigned> Channel(std::string_view text) {
    return text::ParseWhole<unsigned>(text, 10);
}

std::optional<PortMenuItem> PortNamed(std::string_view name) {
    for (const PortMenuItem item : PortMenuItems) {
        if (text::EqualsIgnoringCase(name, PortMenuName(item))) {
            return item;
        }
    }
    return std::nullopt;
}

// qv4130ctl's own options; the board's are shared with qv4130 (src/setup).
constexpr Option<Plan> Own[] = {
    {{.name = "port",
      .value = "LPT1|LPT2|PRN",
      .help = "Use that port's address (888, 632, 956) instead of the one the port library "
              "reports for port 1."},
     [](Plan& plan, std::string_view name) -> Mistake {
         plan.port = PortNamed(name);
         return plan.port ? std::nullopt : Mistake("takes LPT1, LPT2 or PRN");
     }},
    {{.name = "connect",
      .value = characterise::TcpAddressSyntax,
      .help = "Send the commands as SCPI to the board of a running qv4130 --listen or qv4130ctl "
              "serve (port 5025 unless given) instead of driving one here; the output and the "
              "exit status are the same."},
     [](Plan& plan, std::string_view text) -> Mistake {
         const auto address = characterise::ParseTcpAddress(text);
         if (!address) {
             return std::string("takes ").append(characterise::TcpAddressSyntax);
         }
         plan.connect = ServerAddress{std::string(text), *address};
         return std::nullopt;
     }},
    {{.name = "help", .help = "Print this text and exit.", .letter = 'h'},
     [](Plan& plan, std::string_view) -> Mistake {
         plan.help = true;
         return std::nullopt;
     }},
    {{.name = "version", .help = "Print the version and exit."},
     [](Plan& plan, std::string_view) -> Mistake {
         plan.version = true;
         return std::nullopt;
     }},
};

// Every option before the commands, each into its part of `plan`.
OptionSet ProgramOptions(Plan& plan) {
    OptionSet set;
    set.Add(BoardChoiceOptions(), plan.board).Add(std::span(Own), plan);
    return set;
}

// Walks the command words once; each command takes its own values and options.
struct Reader {
    std::span<const std::string_view> words;
    std::size_t next;
    // The options before the commands, which a command's options may need.
    const OptionSet& program;

    bool Done() const { return next >= words.size(); }
    std::string_view Take() { return Done() ? std::string_view() : words[next++]; }
    std::optional<std::string_view> Value() {
        return Done() ? std::nullopt : std::optional(Take());
    }
};

using ReadResult = Result<Command>;

// A command of qv4130ctl: its word, what follows it, what it does (the help),
// the command table's row whose line carries it out and whose rule checks its
// value (none where the command is not one row's line), what its number is
// called and whether it may be hexadecimal, and how it is read.
struct CommandDeclaration {
    std::string_view word{};
    Action action = Action::Write;
    std::string_view syntax{};
    std::string_view description{};
    std::string_view row{};
    std::string_view number{};
    bool hexAllowed = false;
    ReadResult (*read)(Reader&, const CommandDeclaration&) = nullptr;
};

// "0-4095", "-127 to 127"; in hexadecimal "0x000-0xFFF".
std::string Range(RowRange range) {
    if (range.lowest < 0) {
        return std::to_string(range.lowest) + " to " + std::to_string(range.highest);
    }
    return std::to_string(range.lowest) + "-" + std::to_string(range.highest);
}
std::string HexRange(RowRange range) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%03llX-0x%03llX", range.lowest, range.highest);
    return text;
}

std::string ValuesUsage(const CommandDeclaration& command) {
    const RowRange range = RowLimits(command.row);
    std::string text(command.word);
    text.append(" takes a channel 0-")
        .append(std::to_string(ChannelCount - 1))
        .append(" and ")
        .append(command.number)
        .append(" ")
        .append(Range(range));
    if (command.hexAllowed) {
        text.append(" (or ").append(HexRange(range)).append(")");
    }
    return text;
}

// write and step: a channel and a number, put in their row's line.
ReadResult ReadChannelNumber(Reader& reader, const CommandDeclaration& command) {
    const auto channel = Channel(reader.Take());
    const auto number = Number(reader.Take(), command.hexAllowed);
    if (!channel || !number) {
        return UsageError{ValuesUsage(command)};
    }
    return Command{command.action, RowLine(command.row, *channel) + " " + std::to_string(*number)};
}

ReadResult ReadPower(Reader& reader, const CommandDeclaration& command) {
    const std::string_view state = reader.Take();
    if (state != "on" && state != "off") {
        return UsageError{"power takes on or off"};
    }
    return Command{command.action, RowLine(command.row) + (state == "on" ? " ON" : " OFF")};
}

ReadResult ReadRowLine(Reader& /*reader*/, const CommandDeclaration& command) {
    return Command{command.action, RowLine(command.row)};
}

ReadResult ReadStatus(Reader& /*reader*/, const CommandDeclaration& command) {
    return Command{command.action, StatusQuery()};
}

ReadResult ReadScpi(Reader& reader, const CommandDeclaration& command) {
    const auto text = reader.Value();
    if (!text) {
        return UsageError{"scpi takes the SCPI commands as one argument"};
    }
    return Command{command.action, std::string(*text)};
}

ReadResult ReadRun(Reader& reader, const CommandDeclaration& command) {
    const auto path = reader.Value();
    if (!path) {
        return UsageError{"run takes a script file, or - for standard input"};
    }
    return Command{command.action, std::string(*path)};
}

ReadResult ReadCharacterise(Reader& reader, const CommandDeclaration& command) {
    CharacteriseOptions options;
    OptionSet set(std::string(command.word));
    set.Add(CharacteriseOptionList(), options);
    reader.next = set.ReadLeading(reader.words, reader.next, &reader.program);
    if (const auto& mistake = set.FirstMistake()) {
        return UsageError{*mistake};
    }
    if (const Result<> valid = CheckCharacteriseOptions(options); !valid) {
        return UsageError{valid.Error()};
    }
    Command characterise{command.action, {}};
    characterise.characterise = std::move(options);
    return characterise;
}

ReadResult ReadServe(Reader& reader, const CommandDeclaration& command) {
    ServerChoice served;
    OptionSet set(std::string(command.word));
    set.Add(ServerChoiceOptions(), served);
    reader.next = set.ReadLeading(reader.words, reader.next, &reader.program);
    if (const auto& mistake = set.FirstMistake()) {
        return UsageError{*mistake};
    }
    if (!served.listen) {
        served.listen.emplace(); // 127.0.0.1:5025
    }
    Command serve{command.action, {}};
    serve.serve = served;
    return serve;
}

constexpr std::array<CommandDeclaration, 10> Commands{{
    {.word = "write",
     .action = Action::Write,
     .syntax = "CH CODE",
     .description = "a mode-0 word: CODE (0-4095, decimal or 0x...) to channel CH (0-15)",
     .row = "SOURce:CHANnel#:CODE",
     .number = "a code",
     .hexAllowed = true,
     .read = ReadChannelNumber},
    {.word = "step",
     .action = Action::Step,
     .syntax = "CH N",
     .description = "a step word: N from -127 to 127; up when N > 0 (mode 1), down when N < 0 "
                    "(mode 2), a step of 0 when N is 0",
     .row = "SOURce:CHANnel#:STEP",
     .number = "a step",
     .read = ReadChannelNumber},
    {.word = "power",
     .action = Action::Power,
     .syntax = "on|off",
     .description = "power the chip up (byte 20) or down (byte 28)",
     .row = "OUTPut[:STATe]",
     .read = ReadPower},
    {.word = "reset",
     .action = Action::Reset,
     .description = "the reset pulse: every channel to 0 on the chip",
     .row = "*RST",
     .read = ReadRowLine},
    {.word = "sweep",
     .action = Action::Sweep,
     .description =
         "the test sweep: code 3072 to channels 0 to 15 in turn, each word followed by its pause",
     .row = "DIAGnostic:SWEep",
     .read = ReadRowLine},
    {.word = "status",
     .action = Action::Status,
     .description = "print the port, the power state and the 16 channel codes",
     .read = ReadStatus},
    {.word = "scpi",
     .action = Action::Scpi,
     .syntax = "'CMD; CMD?'",
     .description = "run SCPI commands and print each reply on its own line",
     .read = ReadScpi},
    {.word = "run",
     .action = Action::Run,
     .syntax = "FILE",
     .description = "run a SCPI script, one line of commands per line; a # at the start of a "
                    "line, or after a blank and before a blank, starts a comment; stops at the "
                    "first error and names its line. FILE - reads standard input; otherwise FILE "
                    "must be a regular file. Lines are at most 64 KiB",
     .read = ReadRun},
    {.word = "characterise",
     .action = Action::Characterise,
     .syntax = "--channel N --csv FILE [options]",
     .description = CharacteriseHelp,
     .read = ReadCharacterise},
    {.word = "serve",
     .action = Action::Serve,
     .syntax = "[options]",
     .description = "serve SCPI over TCP, one line of commands per line, until SIGTERM or "
                    "SIGINT; on 127.0.0.1:5025 unless --listen says otherwise. Prints where it "
                    "listens. Must be the last command. Each client has its own error queue; the "
                    "board is shared by all. Its options are listed below",
     .read = ReadServe},
}};

const CommandDeclaration& Declaration(Action action) {
    return *std::ranges::find_if(
        Commands, [action](const CommandDeclaration& c) { return c.action == action; });
}

ReadResult ReadCommand(std::string_view word, Reader& reader) {
    for (const CommandDeclaration& command : Commands) {
        if (word == command.word) {
            return command.read(reader, command);
        }
    }
    return UsageError{"unknown command '" + text::Printable(word) + "'"};
}

// What --connect can't be combined with: a board of this process's own, and
// the commands that are not lines of SCPI.
std::optional<std::string> ConnectMistake(const Plan& plan, const OptionSet& program) {
    std::vector<std::string_view> local{"port"};
    for (const auto& option : BoardChoiceOptions()) {
        local.push_back(option.info.name);
    }
    for (const std::string_view name : local) {
        if (program.Given(name)) {
            return std::string("--connect drives the server's board: --")
                .append(name)
                .append(" is for a board of this process");
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

constexpr std::size_t CommandColumn = 23;
constexpr std::size_t HelpWidth = 79;

std::string CommandsHelp() {
    std::string text = "Commands:\n";
    for (const CommandDeclaration& command : Commands) {
        std::string head = "  ";
        head.append(command.word);
        if (!command.syntax.empty()) {
            head.append(" ").append(command.syntax);
        }
        text += options::Wrapped(command.description, head, CommandColumn, HelpWidth);
    }
    return text;
}

// What the help says after the options and commands; the SCPI commands come
// from the interpreter's own table.
constexpr const char* Notes =
    R"(The port is found as the program's start-up finds it (claim port 1, ask its base
address), and the control register's data lines are made outputs. RESET never
goes low and PD never goes high unless asked for (reset, power off); before the
first word the lines go to the idle state a word starts from (byte 22).

Every command but run, characterise and serve is one line of the SCPI commands
below (write 5 100 is SOUR:CHAN5:CODE 100; status asks SYST:PORT?, OUTP? and the
16 codes), run by this process's interpreter or, with --connect, a server's;
the command's SCPI command checks its values' ranges.

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
SIGPIPE is ignored, and a server goes on serving), 2 a usage error (a value out
of its command's range is one, found when that command comes: the commands
before it have run).
)";

} // namespace

Result<Plan> ParseArguments(const std::vector<std::string_view>& arguments) {
    Plan plan;
    OptionSet program = ProgramOptions(plan);
    // The options come before the commands, so that a command's values
    // ("step 1 -3", "serve --listen ...") are never read as the program's options.
    const std::size_t first = program.ReadLeading(arguments);
    Reader reader{arguments, first, program};
    if (plan.help || plan.version) {
        return plan;
    }
    if (const auto& mistake = program.FirstMistake()) {
        return UsageError{*mistake};
    }
    while (!reader.Done()) {
        if (!plan.commands.empty() && plan.commands.back().action == Action::Serve) {
            return UsageError{"serve runs until stopped, so it must come last"};
        }
        ReadResult command = ReadCommand(reader.Take(), reader);
        if (!command) {
            return UsageError{command.Error()};
        }
        plan.commands.push_back(std::move(*command));
    }
    if (plan.commands.empty()) {
        return UsageError{"no command given"};
    }
    if (plan.connect) {
        if (auto reason = ConnectMistake(plan, program)) {
            return UsageError{*reason};
        }
    }
    return plan;
}

std::string_view CommandWord(Action action) {
    return Declaration(action).word;
}

std::optional<std::string> ValuesUsage(Action action) {
    const CommandDeclaration& command = Declaration(action);
    return command.number.empty() ? std::nullopt : std::optional(ValuesUsage(command));
}

std::string VersionText() {
    return std::string("qv4130ctl ") + identity::Version;
}

std::string UsageText() {
    Plan plan;
    CharacteriseOptions characterise;
    ServerChoice served;
    std::string text = "Usage: qv4130ctl [options] COMMAND...\n";
    text += options::Wrapped("Drives a QV4130 evaluation board on the PC's printer port from "
                             "scripts and SCPI clients. The commands run in the order given.",
                             "", 0, HelpWidth);
    text += "\nOptions:\n" + ProgramOptions(plan).Help() + '\n' + CommandsHelp();
    text += "\nOptions of characterise:\n" +
            OptionSet().Add(CharacteriseOptionList(), characterise).Help();
    text += "\nOptions of serve:\n" + OptionSet().Add(ServerChoiceOptions(), served).Help();
    return text + '\n' + Notes + scpi::CommandListText() + ClosingNotes;
}

} // namespace qv4130::ctl

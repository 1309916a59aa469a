#include "CtlArguments.h"

#include "board/Signals.h"
#include "host/AppIdentity.h"
#include "scpi/Instrument.h"
#include "scpi/Printable.h"

#include <charconv>

namespace qv4130::ctl {

namespace {

// Decimal, or hexadecimal after 0x when `hexAllowed`; the whole text must be the number.
std::optional<std::int64_t> Number(std::string_view text, bool hexAllowed) {
    int base = 10;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::int64_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || status != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> InRange(std::optional<std::int64_t> value, std::int64_t lowest,
                                    std::int64_t highest) {
    return value && *value >= lowest && *value <= highest ? value : std::nullopt;
}

std::optional<PortMenuItem> PortNamed(std::string_view name) {
    for (const PortMenuItem item : PortMenuItems) {
        if (name == PortMenuName(item)) {
            return item;
        }
    }
    return std::nullopt;
}

// Walks the arguments once; each command takes its own values.
class Reader {
public:
    explicit Reader(const std::vector<std::string_view>& arguments) : arguments_(arguments) {}

    bool Done() const { return next_ >= arguments_.size(); }
    std::string_view Take() { return Done() ? std::string_view{} : arguments_[next_++]; }
    std::optional<std::string_view> Value() {
        if (Done()) {
            return std::nullopt;
        }
        return Take();
    }
    std::string_view Peek() const { return Done() ? std::string_view{} : arguments_[next_]; }

private:
    const std::vector<std::string_view>& arguments_;
    std::size_t next_ = 0;
};

std::variant<CtlCommand, UsageError> ReadCommand(std::string_view name, Reader& reader) {
    const auto channel = [&] { return InRange(Number(reader.Take(), false), 0, ChannelCount - 1); };
    if (name == "write") {
        const auto ch = channel();
        const auto code = InRange(Number(reader.Take(), true), 0, FullScaleCode);
        if (!ch || !code) {
            return UsageError{"write takes a channel 0-15 and a code 0-4095 (or 0x000-0xFFF)"};
        }
        return CtlCommand{CtlAction::Write, *ch, *code, {}};
    }
    if (name == "step") {
        const auto ch = channel();
        const auto step = InRange(Number(reader.Take(), false), -scpi::Instrument::MaxStep,
                                  scpi::Instrument::MaxStep);
        if (!ch || !step) {
            return UsageError{"step takes a channel 0-15 and a step -127 to 127"};
        }
        return CtlCommand{CtlAction::Step, *ch, *step, {}};
    }
    if (name == "power") {
        const std::string_view state = reader.Take();
        if (state != "on" && state != "off") {
            return UsageError{"power takes on or off"};
        }
        return CtlCommand{CtlAction::Power, 0, state == "on" ? 1 : 0, {}};
    }
    if (name == "scpi" || name == "run") {
        const auto text = reader.Value();
        if (!text) {
            return UsageError{name == "scpi" ? "scpi takes the SCPI commands as one argument"
                                             : "run takes a script file, or - for standard input"};
        }
        return CtlCommand{name == "scpi" ? CtlAction::Scpi : CtlAction::Run, 0, 0,
                          std::string(*text)};
    }
    if (name == "serve") {
        CtlCommand serve{CtlAction::Serve, 0, 0, {}};
        if (reader.Peek() == "--listen") {
            reader.Take();
            const auto address = reader.Value();
            if (!address) {
                return UsageError{"--listen takes ADDR:PORT"};
            }
            serve.text = std::string(*address);
        }
        return serve;
    }
    for (const auto& [word, action] : {std::pair{"reset", CtlAction::Reset},
                                       {"sweep", CtlAction::Sweep},
                                       {"status", CtlAction::Status}}) {
        if (name == word) {
            return CtlCommand{action, 0, 0, {}};
        }
    }
    return UsageError{"unknown command '" + scpi::Printable(name) + "'"};
}

} // namespace

std::variant<CtlPlan, UsageError>
ParseCtlArguments(const std::vector<std::string_view>& arguments) {
    CtlPlan plan;
    for (const std::string_view argument : arguments) {
        plan.help = plan.help || argument == "--help" || argument == "-h";
        plan.version = plan.version || argument == "--version";
    }
    if (plan.help || plan.version) {
        return plan;
    }
    Reader reader(arguments);
    while (!reader.Done()) {
        const std::string_view argument = reader.Take();
        if (argument == "--virtual-board") {
            plan.virtualBoard = true;
        } else if (argument == "--port") {
            plan.port = PortNamed(reader.Take());
            if (!plan.port) {
                return UsageError{"--port takes LPT1, LPT2 or PRN"};
            }
        } else if (argument == "--trace") {
            const auto path = reader.Value();
            if (!path || path->empty()) {
                return UsageError{"--trace takes a file name"};
            }
            plan.tracePath = std::string(*path);
        } else if (!plan.commands.empty() && plan.commands.back().action == CtlAction::Serve) {
            return UsageError{"serve runs until stopped, so it must come last"};
        } else {
            auto command = ReadCommand(argument, reader);
            if (auto* error = std::get_if<UsageError>(&command)) {
                return *error;
            }
            plan.commands.push_back(std::get<CtlCommand>(std::move(command)));
        }
    }
    if (plan.commands.empty()) {
        return UsageError{"no command given"};
    }
    return plan;
}

std::string CtlVersionText() {
    return "qv4130ctl " + std::to_string(identity::VersionMajor) + "." +
           std::to_string(identity::VersionMinor) + "." + std::to_string(identity::VersionRevision);
}

std::string CtlUsageText() {
    return R"(Usage: qv4130ctl [--virtual-board] [--port LPT1|LPT2|PRN] [--trace FILE.vcd]
                 COMMAND...
Drives a QV4130 evaluation board on the PC's printer port from scripts and
SCPI clients. The commands run in the order given.

Commands:
  write CH CODE        a mode-0 word: CODE (0-4095, decimal or 0x...) to channel
                       CH (0-15)
  step CH N            a step word: N from -127 to 127; up when N > 0 (mode 1),
                       down when N < 0 (mode 2), a step of 0 when N is 0
  power on|off         power the chip up (byte 20) or down (byte 28)
  reset                the reset pulse: every channel to 0 on the chip
  sweep                the test sweep: code 3072 to channels 0 to 15 in turn,
                       each word followed by its pause
  status               print the port, the power state and the 16 channel codes
  scpi 'CMD; CMD?'     run SCPI commands and print each reply on its own line
  run FILE             run a SCPI script, one line of commands per line; a # at
                       the start of a line, or after a blank and before a blank,
                       starts a comment; stops at the first error and names its
                       line. FILE - reads standard input; otherwise FILE must be
                       a regular file. Lines are at most 64 KiB
  serve [--listen ADDR:PORT]
                       serve SCPI over TCP, one line of commands per line, until
                       SIGTERM or SIGINT; 127.0.0.1:5025 unless told; port 0
                       picks a free port. Prints where it listens. Must be the
                       last command. Each client has its own error queue; the
                       board is shared by all

Options:
  --virtual-board      drive a simulated board of this process's own instead of
                       the printer port (status then shows the chip's own codes)
  --port LPT1|LPT2|PRN use that port's address (888, 632, 956) instead of the one
                       the port library reports for port 1
  --trace FILE.vcd     record every write to the port's data register, with its
                       time, in a Value Change Dump (DIN, SCLK, SYNC, PD, RESET)
                       that PulseView, sigrok-cli and GTKWave open
  --help               print this text and exit
  --version            print the version and exit

The port is found as the program's start-up finds it (claim port 1, ask its base
address), and the control register's data lines are made outputs. RESET never
goes low and PD never goes high unless asked for (reset, power off); before the
first word the lines go to the idle state a word starts from (byte 22).

SCPI commands (case-insensitive; the upper-case part is the short form; ';'
separates commands on a line; numbers are decimal or #H, #Q, #B non-decimal):
  *IDN?                           maker, model, serial (0), version
  *RST                            the reset pulse
  *CLS                            clear this client's error queue
  *OPC?                           1, once every word before it is out
  SOURce:CHANnel<n>:CODE <code>   a mode-0 word; n is the channel 0-15, code 0-4095
  SOURce:CHANnel<n>:CODE?         the channel's code as this process knows it:
                                  the chip's own on the virtual board, otherwise
                                  the last sent (after steps, 0 after a reset),
                                  -1 while unknown
  SOURce:CHANnel<n>:STEP <step>   a step word, -127 to 127
  OUTPut[:STATe] ON|OFF|1|0       power up (20) or down (28); while powered down
  OUTPut[:STATe]?                 CODE and STEP are refused (-221); 1 at start
  DIAGnostic:SWEep                the test sweep
  SYSTem:PORT LPT1|LPT2|PRN       use another port
  SYSTem:PORT?
  SYSTem:ERRor[:NEXT]?            the oldest error, or 0,"No error"
A refused command sends nothing, and an error ends its line.

Exit status: 0 success, 1 the port or a command failed (the reason on standard
error; a command fails when its bytes could not reach the board, as when the
port's claim was refused), 2 a usage error.
)";
}

} // namespace qv4130::ctl

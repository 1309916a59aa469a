#include "CommandLine.h"

#include "host/AppIdentity.h"

#include <string_view>

namespace qv4130 {

namespace {

constexpr std::string_view TraceOption = "--trace";
constexpr std::string_view ListenOption = "--listen";

// An option whose next argument is its value, whatever that looks like.
bool TakesValue(std::string_view argument) {
    return argument == TraceOption || argument == ListenOption;
}

std::string_view Argument(const char* const* argv, int i) {
    return argv[i] != nullptr ? argv[i] : "";
}

// Calls `use` with every argument after the program's own path but the
// "--trace FILE" and "--listen ADDR" pairs, until it returns false.
template <typename Use> void ForEachArgument(int argc, const char* const* argv, Use use) {
    for (int i = 1; i < argc; ++i) {
        if (TakesValue(Argument(argv, i))) {
            ++i;
        } else if (!use(Argument(argv, i))) {
            return;
        }
    }
}

} // namespace

std::string ArgumentText(int argc, const char* const* argv) {
    std::string text;
    bool first = true;
    ForEachArgument(argc, argv, [&](std::string_view argument) {
        if (!first) {
            text += ' ';
        }
        first = false;
        text += argument;
        return true;
    });
    return text;
}

InfoRequest FindInfoRequest(int argc, const char* const* argv) {
    InfoRequest request = InfoRequest::None;
    ForEachArgument(argc, argv, [&](std::string_view argument) {
        if (argument == "--help") {
            request = InfoRequest::Help;
            return false;
        }
        if (argument == "--version") {
            request = InfoRequest::Version;
        }
        return true;
    });
    return request;
}

bool WantsVirtualBoard(int argc, const char* const* argv) {
    bool wanted = false;
    ForEachArgument(argc, argv, [&](std::string_view argument) {
        wanted = argument == "--virtual-board";
        return !wanted;
    });
    return wanted;
}

namespace {

// The last value given to `option`; empty when the option ends the line.
std::optional<std::string> OptionValue(int argc, const char* const* argv, std::string_view option) {
    std::optional<std::string> value;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = Argument(argv, i);
        if (TakesValue(argument)) {
            const std::string given = i + 1 < argc ? std::string(Argument(argv, ++i)) : "";
            value = argument == option ? std::optional(given) : value;
        }
    }
    return value;
}

} // namespace

std::optional<std::string> TracePath(int argc, const char* const* argv) {
    return OptionValue(argc, argv, TraceOption);
}

std::optional<std::string> ListenText(int argc, const char* const* argv) {
    return OptionValue(argc, argv, ListenOption);
}

int RemoveValueOptions(int argc, char** argv) {
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && TakesValue(Argument(argv, i))) {
            ++i;
        } else {
            argv[kept++] = argv[i];
        }
    }
    if (kept < argc) {
        argv[kept] = nullptr;
    }
    return kept;
}

std::string VersionText() {
    return "qv4130 " + std::to_string(identity::VersionMajor) + "." +
           std::to_string(identity::VersionMinor) + "." + std::to_string(identity::VersionRevision);
}

std::string UsageText() {
    return "Usage: qv4130 [--virtual-board] [--trace FILE.vcd] [--listen [ADDR:]PORT] [/SS]\n"
           "Exercises a QV4130 evaluation board on the PC's printer port.\n"
           "\n"
           "  --virtual-board  run on a simulated printer port with a simulated QV4130\n"
           "                   on it, and show what the chip receives\n"
           "  --trace FILE.vcd record every byte written to the board's port, with its\n"
           "                   time, in FILE.vcd (a Value Change Dump for PulseView,\n"
           "                   sigrok-cli or GTKWave)\n"
           "  --listen [ADDR:]PORT\n"
           "                   serve SCPI over TCP from the program itself, as\n"
           "                   qv4130ctl serve does; on the loopback address unless\n"
           "                   ADDR is given; port 0 picks a free port. Prints where\n"
           "                   it listens; what clients change shows in the windows\n"
           "  /SS              show the operating system and port address at start-up\n"
           "                   (any letter case, anywhere in the arguments)\n"
           "  --help           print this text and exit\n"
           "  --version        print the program's version and exit\n";
}

} // namespace qv4130

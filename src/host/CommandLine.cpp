#include "CommandLine.h"

#include "host/AppIdentity.h"

#include <string_view>

namespace qv4130 {

std::string ArgumentText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i] != nullptr ? argv[i] : "";
    }
    return text;
}

InfoRequest FindInfoRequest(int argc, const char* const* argv) {
    InfoRequest request = InfoRequest::None;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] != nullptr ? argv[i] : "";
        if (argument == "--help") {
            return InfoRequest::Help;
        }
        if (argument == "--version") {
            request = InfoRequest::Version;
        }
    }
    return request;
}

bool WantsVirtualBoard(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && std::string_view(argv[i]) == "--virtual-board") {
            return true;
        }
    }
    return false;
}

std::string VersionText() {
    return "qv4130 " + std::to_string(identity::VersionMajor) + "." +
           std::to_string(identity::VersionMinor) + "." + std::to_string(identity::VersionRevision);
}

std::string UsageText() {
    return "Usage: qv4130 [--virtual-board] [/SS]\n"
           "Exercises a QV4130 evaluation board on the PC's printer port.\n"
           "\n"
           "  --virtual-board  run on a simulated printer port with a simulated QV4130\n"
           "                   on it, and show what the chip receives\n"
           "  /SS              show the operating system and port address at start-up\n"
           "                   (any letter case, anywhere in the arguments)\n"
           "  --help           print this text and exit\n"
           "  --version        print the program's version and exit\n";
}

} // namespace qv4130

#include "CommandLine.h"

#include "AppIdentity.h"

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

std::string VersionText() {
    return "qv4130 " + std::to_string(identity::VersionMajor) + "." +
           std::to_string(identity::VersionMinor) + "." + std::to_string(identity::VersionRevision);
}

std::string UsageText() {
    return "Usage: qv4130 [/SS]\n"
           "Exercises a QV4130 evaluation board on the PC's printer port.\n"
           "\n"
           "  /SS        show the operating system and port address at start-up\n"
           "             (any letter case, anywhere in the arguments)\n"
           "  --help     print this text and exit\n"
           "  --version  print the program's version and exit\n";
}

} // namespace qv4130

// Runs the program's start-up as the program does, with the host's real version
// call, over a recording port library, recorded message boxes and a stand-in
// main window, and prints every event in order: the name it gave the host, each
// port call, each box, each touch of the main window. The argument text is its
// command line. The start-up tests run copies of it under the Windows versions
// they set for each copy.
#include "board/Declare.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

namespace {

using qv4130::testing::PortCall;

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c == '\r'   ? std::string("\\r")
                   : c == '\n' ? std::string("\\n")
                               : std::string(1, c);
    }
    return escaped;
}

// Prints the port calls made since the last look, so that boxes and window
// touches land among them where they happened.
class EventPrinter {
public:
    explicit EventPrinter(qv4130::testing::RecordingPortLibrary& port) : port_(port) {}

    void Line(const std::string& line) {
        FlushCalls();
        std::printf("%s\n", line.c_str());
    }
    void FlushCalls() {
        for (; printed_ < port_.calls.size(); ++printed_) {
            std::ostringstream call;
            qv4130::testing::PrintTo(port_.calls[printed_], &call);
            std::printf("%s\n", call.str().c_str());
        }
    }

private:
    qv4130::testing::RecordingPortLibrary& port_;
    std::size_t printed_ = 0;
};

class StandInMainWindow final : public qv4130::MainWindowAccess {
public:
    explicit StandInMainWindow(EventPrinter& events) : events_(events) {}
    void DisablePortItem(qv4130::PortMenuItem item) override {
        static const char* const names[] = {"MnuLPT1", "MnuLPT2", "MnuPRN"};
        events_.Line(std::string("window: disable ") + names[static_cast<int>(item)]);
    }
    void ShowModal() override { events_.Line("window: show modal"); }

private:
    EventPrinter& events_;
};

} // namespace

int main(int argc, char** argv) {
    qv4130::testing::RecordingPortLibrary port;
    port.infoBaseAddress = 888;
    port.registers[890] = 0xFF; // control register all ones, so the mask shows
    EventPrinter events(port);
    qv4130::testing::RecordingMessageSink messages;
    messages.onShow = [&](const qv4130::testing::ShownMessage& box) {
        events.Line("box \"" + Escaped(box.text) + "\" titled \"" + box.title + "\"");
    };
    StandInMainWindow window(events);
    const std::unique_ptr<qv4130::OsVersionSource> host = qv4130::MakeHostOsVersionSource();
    qv4130::SharedState state;
    std::string argumentText;
    for (int i = 1; i < argc; ++i) {
        argumentText += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    qv4130::StartupContext context{port, state, messages, *host, window, argumentText, {}};

    qv4130::Main(context);

    events.FlushCalls();
    std::printf("name: \"%s\"\nPortAddress: %d\n", context.OsName.c_str(),
                static_cast<int>(state.PortAddress));
    return 0;
}

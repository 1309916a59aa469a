// Runs the program's start-up with the host's real version call over a recording
// port library, then prints the port calls it made, the name it gave the host and
// the port address it settled on. The start-up tests run copies of it under the
// Windows version they set for each copy.
#include "board/Declare.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"

#include <iostream>

namespace {

class NoMainWindow final : public qv4130::MainWindowAccess {
public:
    void DisablePortItem(qv4130::PortMenuItem) override {}
    void ShowModal() override {}
};

} // namespace

int main() {
    qv4130::testing::RecordingPortLibrary port;
    port.registers[890] = 0xFF; // control register all ones, so the mask shows
    qv4130::testing::RecordingMessageSink messages;
    NoMainWindow window;
    const std::unique_ptr<qv4130::OsVersionSource> host = qv4130::MakeHostOsVersionSource();
    qv4130::SharedState state;
    qv4130::StartupContext context{port, state, messages, *host, window, "", {}};

    qv4130::Main(context);

    for (const qv4130::testing::PortCall& call : port.calls) {
        qv4130::testing::PrintTo(call, &std::cout);
        std::cout << '\n';
    }
    std::cout << "name: \"" << context.OsName << "\"\nPortAddress: " << state.PortAddress << '\n';
}

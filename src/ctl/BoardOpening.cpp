#include "BoardOpening.h"

#include "host/OsVersion.h"
#include "host/qt/ProgramLog.h"
#include "startup/WindowsVersion.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace qv4130::ctl {

namespace {

// Start-up's boxes, one line each.
class ReportedMessages final : public MessageSink {
public:
    explicit ReportedMessages(const Report& report) : report_(report) {}
    void ShowMessage(const std::string& text, const std::optional<std::string>& /*title*/,
                     MessageIcon /*icon*/, const std::string& detail) override {
        std::string line = detail.empty() ? text : text + ": " + detail;
        std::replace(line.begin(), line.end(), '\r', ' ');
        std::replace(line.begin(), line.end(), '\n', ' ');
        report_(line);
    }
    void Beep() override {}

private:
    const Report& report_;
};

// There are no windows: greying out port items has nowhere to go.
class NoMainWindow final : public MainWindowAccess {
public:
    void DisablePortItem(PortMenuItem /*item*/) override {}
    void ShowModal() override {}
};

} // namespace

void EndForPortLibrary(const PortLibraryError& error) {
    std::cout.flush();
    ProgramReport()(error.what());
    std::_Exit(EXIT_FAILURE);
}

bool FindPort(PortLibrary& library, SharedState& state, std::optional<PortMenuItem> port,
              const Report& report) {
    ReportedMessages messages(report);
    NoOsVersion noVersion;
    NoMainWindow noWindow;
    StartupContext context{library, state, messages, noVersion, noWindow, {}, {}};
    ClaimPort(context);
    GetPortAddress(context);
    if (port) {
        state.PortAddress = PortMenuAddress(*port);
    }
    return state.PortAddress != 0;
}

} // namespace qv4130::ctl

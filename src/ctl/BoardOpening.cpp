#include "BoardOpening.h"

#include "board/WindowsVersion.h"
#include "host/OsVersion.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace qv4130::ctl {

namespace {

// Start-up's boxes, one line each.
class ErrorStreamMessages final : public MessageSink {
public:
    explicit ErrorStreamMessages(std::ostream& errors) : errors_(errors) {}
    void ShowMessage(const std::string& text, const std::optional<std::string>& /*title*/,
                     MessageIcon /*icon*/, const std::string& detail) override {
        std::string line = detail.empty() ? text : text + ": " + detail;
        std::replace(line.begin(), line.end(), '\r', ' ');
        std::replace(line.begin(), line.end(), '\n', ' ');
        errors_ << "qv4130ctl: " << line << '\n';
    }
    void Beep() override {}

private:
    std::ostream& errors_;
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
    std::cerr << "qv4130ctl: " << error.what() << std::endl;
    std::_Exit(EXIT_FAILURE);
}

bool FindPort(PortLibrary& library, SharedState& state, std::optional<PortMenuItem> port,
              std::ostream& errors) {
    ErrorStreamMessages messages(errors);
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

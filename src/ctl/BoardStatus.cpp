#include "BoardStatus.h"

#include "board/PrinterPorts.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace qv4130::ctl {

void PrintStatus(std::ostream& out, const BoardStatus& status) {
    const auto item = PortMenuItemAt(status.portAddress);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(status.portAddress));
    out << "port: " << (item ? std::string(PortMenuName(*item)) + " (" + hex + ")" : hex)
        << (status.claimed ? "" : ", not claimed: nothing sent reaches the board")
        << "\noutput: " << (status.output ? "on" : "off") << '\n';
    for (int channel = 0; channel < ChannelCount; ++channel) {
        out << "channel " << channel << ": " << status.codes[static_cast<std::size_t>(channel)]
            << '\n';
    }
    out.flush();
}

} // namespace qv4130::ctl

#include "BoardStatus.h"

#include "TableRows.h"
#include "board/PrinterPorts.h"
#include "qv4130/BoardVocabulary.h"
#include "qv4130/PlainText.h"

#include <cstdio>
#include <ostream>

namespace qv4130::ctl {

namespace {

// SYSTem:PORT? names a port of the menu, or gives its address as #H<hex>.
std::optional<std::uint16_t> PortAddressNamed(std::string_view reply) {
    for (const PortMenuItem item : PortMenuItems) {
        if (reply == PortMenuName(item)) {
            return PortMenuAddress(item);
        }
    }
    return reply.starts_with("#H") ? text::ParseWhole<std::uint16_t>(reply.substr(2), 16)
                                   : std::nullopt;
}

} // namespace

std::string StatusQuery() {
    std::string line = RowLine("SYSTem:PORT");
    line.append("?;").append(RowLine("OUTPut[:STATe]")).append("?");
    for (int channel = 0; channel < ChannelCount; ++channel) {
        line.append(";").append(RowLine("SOURce:CHANnel#:CODE", channel)).append("?");
    }
    return line;
}

bool PrintStatus(std::ostream& out, const std::vector<std::string>& replies, bool claimed) {
    const auto address =
        replies.size() == 2 + ChannelCount ? PortAddressNamed(replies[0]) : std::nullopt;
    if (!address) {
        return false;
    }
    const auto item = PortMenuItemAt(*address);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(*address));
    out << "port: " << (item ? std::string(PortMenuName(*item)) + " (" + hex + ")" : hex)
        << (claimed ? "" : ", not claimed: nothing sent reaches the board")
        << "\noutput: " << (replies[1] == "1" ? "on" : "off") << '\n';
    for (int channel = 0; channel < ChannelCount; ++channel) {
        const std::string& reply = replies[2 + static_cast<std::size_t>(channel)];
        out << "channel " << channel << ": " << text::ParseWhole<int>(reply).value_or(-1) << '\n';
    }
    out.flush();
    return true;
}

} // namespace qv4130::ctl

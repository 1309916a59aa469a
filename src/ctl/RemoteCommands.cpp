#include "RemoteCommands.h"

#include "BoardStatus.h"
#include "ScriptLines.h"
#include "characterise/MeterAddress.h"
#include "scpi/Interpreter.h"
#include "text/PlainText.h"

#include <memory>
#include <optional>
#include <ostream>

namespace qv4130::ctl {

namespace {

using characterise::MeterTransport;
using characterise::TransportError;

// Every line is sent after *OPC?, so that it has a reply (the "1" first) even
// when it holds no query or stops at an error, and the replies of one line and
// the SYST:ERR? after it never run together.
constexpr std::string_view Acknowledge = "*OPC?;";

// The replies of one line, which the server joins with ';' (none inside a
// quoted string).
std::vector<std::string> SplitReplies(std::string_view line) {
    std::vector<std::string> replies(1);
    char quote = 0;
    for (const char c : line) {
        if (quote == 0 && c == ';') {
            replies.emplace_back();
            continue;
        }
        quote = quote == 0 && (c == '"' || c == '\'') ? c : (c == quote ? 0 : quote);
        replies.back() += c;
    }
    return replies;
}

std::optional<std::uint16_t> PortAddressNamed(std::string_view reply) {
    for (const PortMenuItem item : PortMenuItems) {
        if (reply == PortMenuName(item)) {
            return PortMenuAddress(item);
        }
    }
    return reply.starts_with("#H") ? text::ParseWhole<std::uint16_t>(reply.substr(2), 16)
                                   : std::nullopt;
}

class RemoteRunner {
public:
    RemoteRunner(MeterTransport& link, std::string server, Streams streams)
        : link_(link), server_(std::move(server)), streams_(streams) {}

    bool Run(const Command& command) {
        const std::string name(CommandWord(command.action));
        switch (command.action) {
        case Action::Run:
            return ForEachScriptLine(
                command.text,
                [this](std::string_view line, const std::string& where) {
                    return Print(Exchange(line, where));
                },
                [this](const std::string& reason) { Fail(reason); });
        case Action::Status:
            return Status(Exchange(*ScpiText(command), name));
        case Action::Scpi:
            return Print(Exchange(command.text, name));
        default:
            return Exchange(*ScpiText(command), name).has_value();
        }
    }

private:
    bool Fail(const std::string& reason) {
        streams_.out.flush();
        streams_.failed(reason);
        return false;
    }

    // The line's replies once it ran without error; none after failing.
    std::optional<std::vector<std::string>> Exchange(std::string_view line,
                                                     const std::string& where) {
        if (text::Trimmed(line).empty()) {
            return std::vector<std::string>{};
        }
        if (line.size() + Acknowledge.size() > scpi::MaxLineBytes) {
            Fail(where + ": " + scpi::FormatError(scpi::Error::TooMuchData));
            return std::nullopt;
        }
        std::string replies;
        std::string error;
        try {
            link_.Send(std::string(Acknowledge) + std::string(line));
            link_.Send("SYST:ERR?");
            replies = link_.Receive(ServerTimeout);
            error = link_.Receive(ServerTimeout);
        } catch (const TransportError& failure) {
            Fail(where + ": " + server_ + " did not answer: " + failure.what());
            return std::nullopt;
        }
        if (replies != "1" && !replies.starts_with("1;")) {
            Fail(where + ": " + server_ + " is not a board's SCPI server: it answered \"" +
                 text::Printable(replies) + "\"");
            return std::nullopt;
        }
        std::vector<std::string> split =
            replies == "1" ? std::vector<std::string>{} : SplitReplies(replies.substr(2));
        if (!error.starts_with("0,") && !error.starts_with("+0,")) {
            // Replies before an error are printed, as a local run prints them.
            Print(split);
            Fail(where + ": " + PoweredDownOr(where, error));
            return std::nullopt;
        }
        return split;
    }

    // The local commands' own words where the server refused a word because
    // the chip is powered down.
    static std::string PoweredDownOr(const std::string& where, const std::string& error) {
        const bool word = where == "write" || where == "step";
        return word && error.starts_with("-221,") ? "the chip is powered down; power it on first"
                                                  : error;
    }

    bool Print(const std::optional<std::vector<std::string>>& replies) {
        if (!replies) {
            return false;
        }
        for (const std::string& reply : *replies) {
            streams_.out << reply << '\n';
        }
        streams_.out.flush();
        return true;
    }

    bool Status(const std::optional<std::vector<std::string>>& replies) {
        if (!replies) {
            return false;
        }
        const auto& r = *replies;
        const auto address = r.size() == 2 + ChannelCount ? PortAddressNamed(r[0]) : std::nullopt;
        if (!address) {
            return Fail("status: " + server_ + " gave no board status");
        }
        BoardStatus status{*address, true, r[1] == "1", {}};
        for (int channel = 0; channel < ChannelCount; ++channel) {
            const auto code = text::ParseWhole<int>(r[2 + static_cast<std::size_t>(channel)]);
            status.codes[static_cast<std::size_t>(channel)] = code.value_or(-1);
        }
        PrintStatus(streams_.out, status);
        return true;
    }

    MeterTransport& link_;
    std::string server_;
    Streams streams_;
};

} // namespace

int RunOnServer(const std::vector<Command>& commands, const std::string& address, Streams streams) {
    std::unique_ptr<MeterTransport> link;
    try {
        const auto parsed = characterise::ParseMeterAddress(address);
        link = characterise::OpenMeterTransport(*parsed, ServerTimeout);
    } catch (const TransportError& failure) {
        streams.failed(address + ": " + failure.what());
        return 1;
    }
    RemoteRunner runner(*link, address, streams);
    for (const Command& command : commands) {
        if (!runner.Run(command)) {
            return 1;
        }
    }
    return 0;
}

} // namespace qv4130::ctl

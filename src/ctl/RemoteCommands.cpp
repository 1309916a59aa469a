#include "RemoteCommands.h"

#include "BoardStatus.h"
#include "CharacteriseCommand.h"
#include "ScriptLines.h"
#include "ServerChannelOutput.h"
#include "ServerLink.h"
#include "text/PlainText.h"

#include <optional>
#include <ostream>

namespace qv4130::ctl {

namespace {

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
    RemoteRunner(ServerLink& link, Streams streams) : link_(link), streams_(streams) {}

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
        case Action::Characterise:
            return Characterise(*command.characterise, name);
        default:
            return Exchange(*ScpiText(command), name).has_value();
        }
    }

private:
    // The served board's reference stands where a local run has its own board's:
    // asked every time, so a server that reports one no chip runs on is caught
    // before its codes are written, --vref or not.
    bool Characterise(const CharacteriseOptions& options, const std::string& where) {
        const auto reply = Exchange("SOUR:VREF?", where);
        if (!reply) {
            return false;
        }
        const auto vref = reply->size() == 1 ? text::ParsePositive(reply->front()) : std::nullopt;
        if (!vref) {
            return Fail(where + ": " + link_.Name() + " gave no reference voltage");
        }
        if (!characterise::ReferenceInRange(*vref)) {
            return Fail(where + ": " + link_.Name() + " gave a reference of " +
                        text::Printable(reply->front()) + " V, not one the chip takes");
        }
        ServerChannelOutput output(link_);
        return RunCharacteriseCommand(options, output, nullptr, *vref, streams_.out,
                                      streams_.failed, ProgressOnTerminal(streams_.out));
    }

    bool Fail(const std::string& reason) {
        streams_.out.flush();
        streams_.failed(reason);
        return false;
    }

    // The line's replies once it ran without error; none after failing.
    std::optional<std::vector<std::string>> Exchange(std::string_view line,
                                                     const std::string& where) {
        LineOutcome outcome = link_.Exchange(line);
        if (outcome.failure) {
            Fail(where + ": " + *outcome.failure);
            return std::nullopt;
        }
        if (outcome.error) {
            // Replies before an error are printed, as a local run prints them.
            Print(outcome.replies);
            Fail(where + ": " + PoweredDownOr(where, *outcome.error));
            return std::nullopt;
        }
        return std::move(outcome.replies);
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
            return Fail("status: " + link_.Name() + " gave no board status");
        }
        BoardStatus status{*address, true, r[1] == "1", {}};
        for (int channel = 0; channel < ChannelCount; ++channel) {
            const auto code = text::ParseWhole<int>(r[2 + static_cast<std::size_t>(channel)]);
            status.codes[static_cast<std::size_t>(channel)] = code.value_or(-1);
        }
        PrintStatus(streams_.out, status);
        return true;
    }

    ServerLink& link_;
    Streams streams_;
};

} // namespace

int RunOnServer(const std::vector<Command>& commands, const std::string& address, Streams streams) {
    auto connected = ServerLink::Connect(address);
    if (auto* failure = std::get_if<std::string>(&connected)) {
        streams.failed(*failure);
        return 1;
    }
    RemoteRunner runner(std::get<ServerLink>(connected), streams);
    for (const Command& command : commands) {
        if (!runner.Run(command)) {
            return 1;
        }
    }
    return 0;
}

} // namespace qv4130::ctl

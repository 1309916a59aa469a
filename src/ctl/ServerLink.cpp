#include "ServerLink.h"

#include "qv4130/PlainText.h"
#include "scpi/Interpreter.h"

namespace qv4130::ctl {

namespace {

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

} // namespace

Result<ServerLink> ServerLink::Connect(const characterise::TcpAddress& address,
                                       const std::string& name) {
    try {
        return ServerLink(characterise::OpenMeterTransport(address, ServerTimeout), name);
    } catch (const characterise::TransportError& failure) {
        return Failure{name + ": " + failure.what()};
    }
}

LineOutcome ServerLink::Exchange(std::string_view line) {
    LineOutcome outcome;
    if (text::Trimmed(line).empty()) {
        return outcome;
    }
    if (line.size() + Acknowledge.size() > scpi::MaxLineBytes) {
        outcome.error = scpi::FormatError(scpi::Error::TooMuchData);
        return outcome;
    }
    std::string replies;
    std::string error;
    try {
        // One after the other, not both at once: the server answers each line
        // in a write of its own, and a second small write waits for the first
        // to be acknowledged, which the client's stack delays by up to 40 ms.
        transport_->Send(std::string(Acknowledge) + std::string(line));
        replies = transport_->Receive(ServerTimeout);
        transport_->Send("SYST:ERR?");
        error = transport_->Receive(ServerTimeout);
    } catch (const characterise::TransportError& failure) {
        outcome.failure = name_ + " did not answer: " + failure.what();
        return outcome;
    }
    if (replies != "1" && !replies.starts_with("1;")) {
        outcome.failure = name_ + " is not a board's SCPI server: it answered \"" +
                          text::Printable(replies) + "\"";
        return outcome;
    }
    if (replies != "1") {
        outcome.replies = SplitReplies(std::string_view(replies).substr(2));
    }
    if (!error.starts_with("0,") && !error.starts_with("+0,")) {
        outcome.error = text::Printable(error); // the peer's words, bound for a terminal
    }
    return outcome;
}

} // namespace qv4130::ctl

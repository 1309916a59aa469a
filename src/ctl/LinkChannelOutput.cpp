#include "LinkChannelOutput.h"

#include "TableRows.h"
#include "qv4130/PlainText.h"

namespace qv4130::ctl {

namespace {
std::string CodeLine(int channel) {
    return RowLine("SOURce:CHANnel#:CODE", channel);
}
} // namespace

Result<> LinkChannelOutput::WriteCode(int channel, int code) {
    const LineOutcome outcome = link_.Exchange(CodeLine(channel) + " " + std::to_string(code));
    if (outcome.failure) {
        return Failure{*outcome.failure};
    }
    if (outcome.error) {
        return Failure{outcome.error->starts_with("-221,")
                           ? "the chip is powered down: power it up and run again"
                           : link_.Name() + " refused code " + std::to_string(code) + ": " +
                                 *outcome.error};
    }
    return {};
}

std::optional<int> LinkChannelOutput::Code(int channel) const {
    const LineOutcome outcome = link_.Exchange(CodeLine(channel) + "?");
    if (outcome.failure || outcome.error || outcome.replies.size() != 1) {
        return std::nullopt;
    }
    const auto code = text::ParseWhole<int>(outcome.replies.front());
    return code && *code >= 0 ? code : std::nullopt;
}

} // namespace qv4130::ctl

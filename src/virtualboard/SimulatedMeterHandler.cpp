#include "SimulatedMeterHandler.h"

namespace qv4130 {

std::optional<std::string> SimulatedMeterHandler::Handle(std::string_view line) {
    std::vector<std::string> replies;
    engine_.ExecuteLine(line, replies);
    if (replies.empty()) {
        return std::nullopt;
    }
    std::string reply = replies.front();
    for (std::size_t i = 1; i < replies.size(); ++i) {
        reply.append(";").append(replies[i]);
    }
    return reply;
}

} // namespace qv4130

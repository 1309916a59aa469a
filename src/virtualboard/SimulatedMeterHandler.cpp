#include "SimulatedMeterHandler.h"

namespace qv4130 {

bool SimulatedMeterHandler::ExecuteNextCommand(std::string_view line, std::size_t& position,
                                               scpi::Session& /*session*/,
                                               std::vector<std::string>& replies,
                                               std::optional<scpi::Error>& /*error*/) {
    if (position >= line.size()) {
        return false;
    }
    const std::size_t end = std::min(line.find(';', position), line.size());
    const std::string_view command = line.substr(position, end - position);
    position = end < line.size() ? end + 1 : end;
    if (command.find_first_not_of(" \t\r") != std::string_view::npos) {
        if (auto reply = dmm_.Handle(command)) {
            replies.push_back(std::move(*reply));
        }
    }
    return position < line.size();
}

void SimulatedMeterHandler::QueueError(scpi::Session& /*session*/, scpi::Error error) {
    dmm_.PushError(static_cast<int>(error), scpi::ErrorText(error));
}

} // namespace qv4130

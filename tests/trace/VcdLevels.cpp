#include "VcdLevels.h"

#include "board/Signals.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace qv4130::testing {

namespace {
constexpr std::uint16_t NoLevelsYet = 0x1F00;
} // namespace

LineLevels LevelsByTime(const std::string& path) {
    const std::map<std::string, std::uint16_t> lineByName{{"DIN", line::Din},
                                                          {"SCLK", line::Sclk},
                                                          {"SYNC", line::Sync},
                                                          {"PD", line::PowerDown},
                                                          {"RESET", line::Reset}};
    std::map<char, std::uint16_t> lineById;
    LineLevels levels;
    std::uint16_t now = NoLevelsYet;
    std::optional<std::uint64_t> time;
    std::ifstream file(path);
    std::string token;
    while (file >> token) {
        if (token == "$var") {
            std::string type, width, id, name;
            file >> type >> width >> id >> name;
            lineById[id.at(0)] = lineByName.at(name);
        } else if (token[0] == '#') {
            time = std::stoull(token.substr(1));
        } else if ((token[0] == '0' || token[0] == '1') && token.size() == 2) {
            const std::uint16_t line = lineById.at(token[1]);
            now = static_cast<std::uint16_t>(now & ~(line << 8) & ~line);
            now = static_cast<std::uint16_t>(token[0] == '1' ? now | line : now);
        }
        if (time) {
            levels[*time] = now;
        }
    }
    return levels;
}

std::uint16_t LevelsAt(const LineLevels& levels, std::uint64_t time) {
    const auto after = levels.upper_bound(time);
    return after == levels.begin() ? NoLevelsYet : std::prev(after)->second;
}

} // namespace qv4130::testing

#include "TraceReading.h"

#include "qv4130/BoardVocabulary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string_view>

namespace qv4130::test {

LineLevels LevelsByTime(const std::string& path) {
    const std::map<std::string, std::uint16_t> lineByName{{"DIN", line::Din},
                                                          {"SCLK", line::Sclk},
                                                          {"SYNC", line::Sync},
                                                          {"PD", line::PowerDown},
                                                          {"RESET", line::Reset}};
    std::map<char, std::uint16_t> lineById;
    LineLevels levels;
    std::uint16_t now = 0;
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
            now = static_cast<std::uint16_t>(token[0] == '1' ? now | line : now & ~line);
        }
        if (time) {
            levels[*time] = now;
        }
    }
    return levels;
}

#ifndef _WIN32
std::vector<std::uint32_t> DecodeWords(const std::string& path) {
    const std::string sigrok = SIGROK_CLI;
    if (sigrok.empty() || sigrok.ends_with("NOTFOUND")) {
        ADD_FAILURE() << "sigrok-cli is not installed (scripts/deps.sh installs it)";
        return {};
    }
    const std::string command =
        sigrok + " -I vcd:compress=10000 -i '" + path +
        "' -P spi:clk=SCLK:mosi=DIN:cs=SYNC:cs_polarity=active-low:cpol=1:cpha=1:wordsize=18"
        " -A spi=mosi-data 2>&1";
    struct PipeCloser {
        void operator()(std::FILE* pipe) const { pclose(pipe); }
    };
    const std::unique_ptr<std::FILE, PipeCloser> output(popen(command.c_str(), "r"));
    std::vector<std::uint32_t> words;
    char line[256];
    while (output && std::fgets(line, sizeof line, output.get()) != nullptr) {
        constexpr std::string_view prefix = "spi-1: "; // "spi-1: 5A00"
        if (!std::string_view(line).starts_with(prefix)) {
            ADD_FAILURE() << "sigrok-cli said: " << line;
            continue;
        }
        words.push_back(static_cast<std::uint32_t>(std::stoul(line + prefix.size(), nullptr, 16)));
    }
    return words;
}
#endif

} // namespace qv4130::test

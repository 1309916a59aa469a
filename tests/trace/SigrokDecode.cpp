#include "SigrokDecode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string_view>

namespace qv4130::testing {

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
        // "spi-1: 5A00"
        const std::string_view text(line);
        constexpr std::string_view prefix = "spi-1: ";
        if (!text.starts_with(prefix)) {
            ADD_FAILURE() << "sigrok-cli said: " << text;
            continue;
        }
        words.push_back(static_cast<std::uint32_t>(std::stoul(line + prefix.size(), nullptr, 16)));
    }
    return words;
}

} // namespace qv4130::testing

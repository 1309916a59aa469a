// The SCPI interpreter on any input, line by line: a refused command and a query
// (but the self-test) send nothing; an accepted setting of a channel sends exactly one whole
// 18-bit word of its own mode (the first on a port after that port's set-up: its control
// register, then the idle byte).
#include "Invariant.h"
#include "qv4130/BoardVocabulary.h"
#include "scpi/Interpreter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace qv4130;

struct Call {
    bool write;
    std::int32_t address;
    std::int32_t value;
};

class RecordingPort final : public PortLibrary {
public:
    std::int32_t GetParallelPortCount() override { return 1; }
    std::int32_t ClaimParallelPort(std::int32_t, std::int32_t) override { return 1; }
    std::int32_t GetParallelPortInfo(std::int32_t, ParallelPortInfo*) override { return 1; }
    std::int32_t InByte(std::int32_t address) override {
        calls.push_back({false, address, 0});
        return 0xFF;
    }
    void OutByte(std::int32_t address, std::int32_t value) override {
        calls.push_back({true, address, value});
    }
    std::vector<Call> calls;
};

// The word in `calls` from `first` on, or -1 when they are not exactly one word.
std::int32_t DecodeWord(const std::vector<Call>& calls, std::size_t first, std::int32_t port) {
    if (calls.size() - first != 3 * SerialWordBits + 1) {
        return -1;
    }
    std::int32_t word = 0;
    for (int bit = 0; bit < SerialWordBits; ++bit) {
        const Call* edge = &calls[first + 3 * static_cast<std::size_t>(bit)];
        const std::int32_t data = edge[1].value & line::Din;
        if (edge[0].value != board_byte::ClockHighData0 ||
            edge[1].value != (board_byte::ClockLowData0 | data) ||
            edge[2].value != (board_byte::ClockHighData0 | data)) {
            return -1;
        }
        word = word << 1 | data;
    }
    for (std::size_t i = first; i < calls.size(); ++i) {
        if (!calls[i].write || calls[i].address != port) {
            return -1;
        }
    }
    return calls.back().value == board_byte::EndOfWord ? word : -1;
}

// Skips a port's set-up: the control register's read-modify-write, the idle byte.
std::size_t AfterSetUp(const std::vector<Call>& calls, std::size_t first, std::int32_t port) {
    const auto control = port + ControlRegisterOffset;
    if (calls.size() - first > 3 && !calls[first].write && calls[first].address == control &&
        calls[first + 1].write && calls[first + 1].address == control) {
        first += 2;
    }
    if (calls.size() - first > 3 * SerialWordBits + 1 &&
        calls[first].value == board_byte::EndOfWord) {
        ++first;
    }
    return first;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordingPort port;
    SharedState state;
    state.PortAddress = 888;
    state.DevicePowered = 1;
    Board instrument(port, state, {{}, [] {}});
    scpi::Interpreter interpreter(instrument);

    std::size_t seen = 0;
    interpreter.SetObserver([&](const scpi::CommandOutcome<Board>& outcome) {
        const std::size_t first = seen;
        seen = port.calls.size();
        // Every setting of a channel is one word: a step of mode 1 or 2, any other mode 0.
        const std::string_view header = outcome.command ? outcome.command->header : "";
        const bool sends = header.starts_with("SOURce:CHANnel#:");
        const bool step = header == "SOURce:CHANnel#:STEP";
        // *TST? checks the port: it may set the control register, as a first word does.
        if (outcome.error || (outcome.query && header != "*TST")) {
            FUZZ_REQUIRE(seen == first);
        } else if (sends) {
            const std::int32_t word = DecodeWord(
                port.calls, AfterSetUp(port.calls, first, state.PortAddress), state.PortAddress);
            FUZZ_REQUIRE(word >= 0);
            const std::int32_t mode = word >> word_field::ModeShift;
            FUZZ_REQUIRE(step ? mode == 1 || mode == 2 : mode == 0);
        }
    });

    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> replies;
    while (!input.empty()) {
        const std::size_t newline = input.find('\n');
        interpreter.ExecuteLine(input.substr(0, newline), replies);
        input = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);
        replies.clear();
    }
    return 0;
}

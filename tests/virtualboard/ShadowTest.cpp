// A board that cannot be read back: the codes every client asks for (SCPI's
// SOURce:CHANnel:CODE?, a characterisation's end code) follow the words the
// windows send as well as its own, stepped with the chip's own arithmetic.
#include "board/Board.h"
#include "board/BoardActions.h"
#include "board/BoardVocabulary.h"
#include "board/CommsFunctions.h"
#include "scpi/Interpreter.h"
#include "support/RecordingPortLibrary.h"
#include "virtualboard/ShadowedPortLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qv4130 {
namespace {

TEST(ShadowedPortLibrary, EveryClientsWordsAreKnownToEveryOther) {
    test::RecordingPortLibrary port; // reads nothing back
    ShadowedPortLibrary shadow(port);
    SharedState state{.PortAddress = 888, .DevicePowered = 1};
    BoardOptions options;
    options.chipCode = [&](int channel) { return shadow.Code(state.PortAddress, channel); };
    Board instrument(shadow, state, options);
    scpi::Interpreter scpi(instrument);
    const auto ask = [&scpi](const char* line) {
        std::vector<std::string> replies;
        const auto error = scpi.ExecuteLine(line, replies);
        return error ? std::string("error") : replies.empty() ? std::string() : replies.front();
    };
    const auto window = [&](std::int16_t mode, std::int16_t channel, std::int16_t data) {
        return [&state, &shadow, mode, channel, data] {
            state.FrameMode = mode;
            state.SelectedChannel = channel;
            state.DataValue = data;
            SendChannelCommand(shadow, state);
        };
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* query;
        const char* reply;
    };
    const Step steps[] = {
        {"the idle byte alone: nothing known", [&] { shadow.OutByte(888, board_byte::PoweredUp); },
         "SOUR:CHAN5:CODE?", "-1"},
        {"Mode 1 from the window", window(0, 5, 0xA00), "SOUR:CHAN5:CODE?", "2560"},
        {"Mode 2 up from the window", window(1, 5, 100), "SOUR:CHAN5:CODE?", "2660"},
        {"Mode 2 down from the window", window(2, 5, 127), "SOUR:CHAN5:CODE?", "2533"},
        {"up past 4095 stops there, as the chip does",
         [&] {
             window(0, 7, 4050)();
             window(1, 7, 100)();
         },
         "SOUR:CHAN7:CODE?", "4095"},
        {"a step on a code nobody knows", window(1, 6, 10), "SOUR:CHAN6:CODE?", "-1"},
        {"SCPI's own write", [&] { ask("SOUR:CHAN6:CODE 7"); }, "SOUR:CHAN6:CODE?", "7"},
        {"another port's words are another board's",
         [&] {
             state.PortAddress = 632;
             window(0, 5, 1)();
             state.PortAddress = 888;
         },
         "SOUR:CHAN5:CODE?", "2533"},
        {"the reset pulse clears every code", [&] { PulseReset(shadow, 888); }, "SOUR:CHAN9:CODE?",
         "0"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(ask(step.query), step.reply) << step.what;
    }
}

} // namespace
} // namespace qv4130

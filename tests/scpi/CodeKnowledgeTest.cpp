// A board that cannot be read back: the codes a SCPI client asks for
// (SOURce:CHANnel:CODE?) follow the words the windows send as well as its own,
// stepped with the chip's own arithmetic, since every client acts through the
// one board object.
#include "board/Board.h"
#include "qv4130/BoardVocabulary.h"
#include "scpi/Interpreter.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qv4130 {
namespace {

TEST(Board, EveryClientsWordsAreKnownToEveryOther) {
    test::RecordingPortLibrary port; // reads nothing back
    SharedState state{.PortAddress = 888, .DevicePowered = 1};
    Board board(port, state);
    scpi::Interpreter scpi(board);
    const auto ask = [&scpi](const char* line) {
        std::vector<std::string> replies;
        const auto error = scpi.ExecuteLine(line, replies);
        return error ? std::string("error") : replies.empty() ? std::string() : replies.front();
    };
    // What a mode window's Update Channel does: the fields, then the word.
    const auto window = [&](std::int16_t mode, std::int16_t channel, std::int16_t data) {
        return [&state, &board, mode, channel, data] {
            state.FrameMode = mode;
            state.SelectedChannel = channel;
            state.DataValue = data;
            board.SendChannelCommand();
        };
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* query;
        const char* reply;
    };
    const Step steps[] = {
        {"the power byte alone: nothing known", [&] { board.SetPower(true); }, "SOUR:CHAN5:CODE?",
         "-1"},
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
        {"SCPI's write leaves the window's fields alone", [&] { ask("SOUR:CHAN9:CODE 9"); },
         "SOUR:CHAN9:CODE?", "9"},
        {"another port's words are another board's",
         [&] {
             board.SelectPort(PortMenuItem::Lpt2);
             window(0, 5, 1)();
             board.SelectPort(PortMenuItem::Lpt1);
         },
         "SOUR:CHAN5:CODE?", "2533"},
        {"the sweep from the window", [&] { board.RunTestSweep([] {}); }, "SOUR:CHAN3:CODE?",
         "3072"},
        {"the reset button clears every code", [&] { board.PulseReset(); }, "SOUR:CHAN9:CODE?",
         "0"},
    };
    for (const Step& step : steps) {
        const SharedState before = state;
        step.act();
        EXPECT_EQ(ask(step.query), step.reply) << step.what;
        if (std::string(step.what).starts_with("SCPI's")) {
            // A remote word must not change what an open mode window sends next.
            EXPECT_EQ(state.FrameMode, before.FrameMode) << step.what;
            EXPECT_EQ(state.SelectedChannel, before.SelectedChannel) << step.what;
            EXPECT_EQ(state.DataValue, before.DataValue) << step.what;
        }
    }
}

} // namespace
} // namespace qv4130

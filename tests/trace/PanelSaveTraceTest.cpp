// The virtual board panel's "Save Trace…": what the board has seen, in a file
// sigrok-cli decodes.
#include "TraceReading.h"
#include "board/BoardVocabulary.h"
#include "board/CommsFunctions.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace qv4130 {
namespace {

TEST(PanelSaveTrace, SavesTheWordsTheBoardHasSeen) {
    VirtualBoard board;
    VirtualBoardPanel panel(board);
    const std::string path = ::testing::TempDir() + "panel.vcd";
    panel.SetTraceFileChooser([&path](QWidget*) { return QString::fromStdString(path); });

    board.OutByte(VirtualBoard::BaseAddress, 0x14);
    SendSerialWord(board, 0x2A5C3, VirtualBoard::BaseAddress, SerialWordBits);
    SendSerialWord(board, 0x0F123, VirtualBoard::BaseAddress, SerialWordBits);
    auto* button = panel.findChild<QPushButton*>(QStringLiteral("saveTrace"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Save Trace\u2026"));
    button->click();

    EXPECT_EQ(test::DecodeWords(path), (std::vector<std::uint32_t>{0x2A5C3, 0x0F123}));
}

} // namespace
} // namespace qv4130

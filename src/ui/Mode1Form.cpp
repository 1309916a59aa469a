#include "Mode1Form.h"

#include "FormGeometry.h"
#include "board/SharedState.h"

#include <QPushButton>
#include <QRadioButton>

namespace qv4130 {

namespace {
const ModeWindowLayout Layout{
    .objectName = "Mode1Form",
    .caption = "Mode 1 Operation",
    .clientWidth = 5295,
    .clientHeight = 3015,
    .frame1 = {2760, 120, 2415, 855},
    .label1Caption = "Enter Dac Word (Hex)",
    .label1 = {120, 240, 975, 495},
    .text1 = {1200, 360, 975, 285},
    .command3 = {-240, 720, 615, 195},
    .frame2 = {120, 1200, 5055, 975},
    .lastChannelTop = 600,
    .command1 = {120, 2400, 1695, 495},
    .command2 = {3480, 2400, 1695, 495},
    .pic = {6840, 960, 375, 2175},
};
} // namespace

Mode1Form::Mode1Form(Board& board, MessageSink& messages, QWidget* parent)
    : ModeWindow(Layout, entry::CheckCodeEntry, board, messages, parent) {
    std::vector<QWidget*> order{Option1[0], Text1};
    order.insert(order.end(), Option1.begin() + 1, Option1.end());
    order.insert(order.end(), std::initializer_list<QWidget*>{Command1, Command2, Pic, Command3});
    ChainTabOrder(order);
}

void Mode1Form::Form_Load() {
    CentreOnScreen(*this);
    state_.FrameMode = 0;
    Option1[0]->setChecked(true);
}

void OpenMode1Form(QWidget* mainWindow, Board& board, MessageSink& messages) {
    Mode1Form window(board, messages, mainWindow);
    // Blocks the main window only, as its modal child; the program's other
    // windows go on taking input beside it.
    window.setWindowModality(Qt::WindowModal);
    window.exec();
}

} // namespace qv4130

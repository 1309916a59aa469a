#include "Mode2Form.h"

#include "FormGeometry.h"
#include "board/SharedState.h"
#include "qv4130/BoardVocabulary.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace qv4130 {

namespace {
const ModeWindowLayout Layout{
    .objectName = "Mode2Form",
    .caption = "Mode 2 Operation",
    .clientWidth = 5310,
    .clientHeight = 3030,
    .frame1 = {2760, 120, 2415, 855},
    // The blanks make the caption wrap into "Size of" over "Inc / Dec".
    .label1Caption = "Size of       Inc / Dec",
    .label1 = {135, 240, 975, 495},
    .text1 = {1200, 360, 495, 285},
    .command3 = {120, 720, 735, 195},
    .frame2 = {120, 1200, 5055, 975},
    .lastChannelTop = 615,
    .command1 = {120, 2400, 1575, 495},
    .command2 = {3600, 2400, 1575, 495},
    .pic = {6360, 480, 375, 855},
};
} // namespace

Mode2Form::Mode2Form(Board& board, MessageSink& messages, QWidget* parent)
    : ModeWindow(Layout, entry::CheckStepEntry, board, messages, parent) {
    Frame3 = MakeControl<QGroupBox>(this, "Frame3", {120, 120, 2415, 855});
    Option2 = MakeControl<QRadioButton>(Frame3, "Option2", {240, 240, 1815, 195},
                                        QStringLiteral("Increment Code"));
    Option3 = MakeControl<QRadioButton>(Frame3, "Option3", {240, 480, 1815, 255},
                                        QStringLiteral("Decrement Code"));
    OnSelected(Option2, [this] { Option2_Click(); });
    OnSelected(Option3, [this] { Option3_Click(); });

    // The unit beside the field.
    Label2 = MakeControl<QLabel>(Frame1, "Label2", {1800, 360, 495, 255}, QStringLiteral("LSBs"));

    // Channels from 15 down to 0, then the field, the direction and the buttons.
    std::vector<QWidget*> order(Option1.rbegin(), Option1.rend());
    order.insert(order.end(), std::initializer_list<QWidget*>{Text1, Option2, Option3, Command1,
                                                              Command2, Pic, Command3});
    ChainTabOrder(order);
}

void Mode2Form::Form_Load() {
    CentreOnScreen(*this);
    // Selecting "Increment Code" runs its handler, which sets the mode.
    Option2->setChecked(true);
    Option3->setChecked(false);
    Option1[0]->setChecked(true);
}

void Mode2Form::Option2_Click() {
    state_.FrameMode = word_mode::Increment;
}

void Mode2Form::Option3_Click() {
    state_.FrameMode = word_mode::Decrement;
}

void OpenMode2Form(QWidget* mainWindow, Board& board, MessageSink& messages) {
    Mode2Form window(board, messages, mainWindow);
    // Blocks the main window only, as its modal child; the program's other
    // windows go on taking input beside it.
    window.setWindowModality(Qt::WindowModal);
    window.exec();
}

} // namespace qv4130

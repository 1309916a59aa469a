#pragma once

#include "ModeWindow.h"

namespace qv4130 {

// "Mode 2 Operation": asks the chip to step one channel's code up or down by
// 0 to 127 LSBs per click.
class Mode2Form final : public ModeWindow {
    Q_OBJECT

public:
    Mode2Form(Board& board, MessageSink& messages, QWidget* parent);

    void Form_Load() override;
    void Option2_Click();
    void Option3_Click();

private:
    QGroupBox* Frame3;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QLabel* Label2;
};

// Opens a fresh Mode 2 window modally over `mainWindow`; returns when it closes.
void OpenMode2Form(QWidget* mainWindow, Board& board, MessageSink& messages);

} // namespace qv4130

#pragma once

#include "ModeWindow.h"

namespace qv4130 {

// "Mode 1 Operation": writes a 12-bit code, typed in hexadecimal, to one channel.
class Mode1Form final : public ModeWindow {
    Q_OBJECT

public:
    Mode1Form(Board& board, MessageSink& messages, QWidget* parent);

    void Form_Load() override;
};

// Opens a fresh Mode 1 window modally over `mainWindow`; returns when it closes.
void OpenMode1Form(QWidget* mainWindow, Board& board, MessageSink& messages);

} // namespace qv4130

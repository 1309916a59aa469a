#pragma once

#include "CheckedEntryField.h"
#include "FormGeometry.h"
#include "qv4130/BoardVocabulary.h"

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qv4130 {

class MessageSink;
class Board;
struct SharedState;

// Where a mode window puts the controls both windows have.
struct ModeWindowLayout {
    const char* objectName;
    const char* caption;
    int clientWidth;
    int clientHeight;
    TwipsRect frame1;
    const char* label1Caption;
    TwipsRect label1;
    TwipsRect text1;
    TwipsRect command3;
    TwipsRect frame2;
    int lastChannelTop; // member 15 of the channel row may sit a little lower
    TwipsRect command1;
    TwipsRect command2;
    TwipsRect pic;
};

// What the Mode 1 and Mode 2 windows share: 16 channel options, the checked
// entry field, "Update Channel", "Back" and the off-screen focus target. Each
// window is a fresh object per opening, shown modally over the main window;
// its load handler runs when it is first shown.
class ModeWindow : public QDialog {
    Q_OBJECT

public:
    void Option1_Click(int index);
    // The entry check's own button: checks the field now. Leaving the field
    // does the same by itself.
    void Command3_Click();
    void Command1_Click();
    void Command2_Click();

    // Children outlive this part of the window while it is destroyed; their
    // signals must not reach the handlers any more.
    ~ModeWindow() override;

protected:
    ModeWindow(const ModeWindowLayout& layout, CheckedEntryField::Checker check, Board& board,
               MessageSink& messages, QWidget* parent);

    virtual void Form_Load() = 0;
    void SendChannelCommand();

    // Runs `handler` whenever `option` becomes the selected one.
    void OnSelected(QRadioButton* option, std::function<void()> handler);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    SharedState& state_;
    QGroupBox* Frame1;
    QLabel* Label1;
    CheckedEntryField* Text1;
    QPushButton* Command3;
    QGroupBox* Frame2;
    std::array<QRadioButton*, ChannelCount> Option1{};
    QPushButton* Command1;
    QPushButton* Command2;
    QWidget* Pic;

private:
    // What the entry field reports when it has checked the entry.
    void Text1_Accepted(std::int16_t value);
    void Text1_Rejected();

    Board& board_;
    bool loaded_ = false;
    bool entryRejected_ = false;
};

} // namespace qv4130

// The mode windows driven through real widgets: what they send to the board,
// how their checked entry field behaves, and how they load, open and close.
#include "ModeWindowHarness.h"

#include <QTimer>

#include <functional>

namespace qv4130::testing {
namespace {

class ModeWindows : public ModeWindowTest {
protected:
    // Opens a window through its opener, as the main window does, and works it
    // inside the modal loop; `operate` must close it.
    void OpenModal(decltype(&OpenMode1Form) opener, const std::function<void(QWidget&)>& operate) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
            operate(*modal);
            ran = true;
        });
        opener(nullptr, port, state, messages);
        EXPECT_TRUE(ran);
    }
};

TEST_F(ModeWindows, UpdateSendsTheWordOfModeChannelAndEntryAtEachPress) {
    struct Case {
        int mode;
        QString clicks;
        const char* typed;
        std::int32_t word;
    };
    const Case cases[] = {{1, "Option1_5", "a00", 0x05A00},
                          {2, "Option2 Option1_15", "127", 0x1F07F},
                          {2, "Option3 Option1_15", "127", 0x2F07F}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        auto form = Open(c.mode);
        for (const QString& name : c.clicks.split(' ')) {
            Click(*form, name);
        }
        Type(*form, c.typed);
        for (int press = 1; press <= 2; ++press) { // each press sends the word again
            Click(*form, "Command1");
            EXPECT_EQ(port.Take(), WordWrites(888, c.word)) << "press " << press;
        }
    }
}

// Opened as the main window opens them, after the test sweep left channel 15 at 3072.
TEST_F(ModeWindows, EachOpeningIsFreshAndSendsTheStoredValueNotTheDisplay) {
    state.DataValue = 3072;
    state.SelectedChannel = 15;
    OpenModal(OpenMode1Form, [this](QWidget& form) {
        EXPECT_EQ(std::tuple(state.FrameMode, state.SelectedChannel), std::tuple(0, 0));
        EXPECT_EQ(Field(form)->text(), "000");
        EXPECT_EQ(Focus(), Child(form, "Option1_0")) << "never starts in the field";
        Click(form, "Option1_3");
        Click(form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, 0x03C00));
        Type(form, "a00");
        Click(form, "Command2");
    });
    OpenModal(OpenMode2Form, [this](QWidget& form) {
        EXPECT_EQ(state.FrameMode, 1);
        EXPECT_TRUE(Checked(form, "Option2"));
        Click(form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, 0x10A00)) << "the Mode 1 code goes out as the step";
        // Escape closes like the close box, dropping the entry unchecked.
        Type(form, "zz");
        QTest::keyClick(Field(form), Qt::Key_Escape);
    });
    OpenModal(OpenMode1Form, [](QWidget& form) {
        EXPECT_EQ(Field(form)->text(), "000");
        EXPECT_TRUE(Checked(form, "Option1_0"));
        Click(form, "Command2");
    });
    EXPECT_EQ(state.DataValue, 2560);
    EXPECT_EQ(messages.beeps, 0);
}

// The controls that take the focus, in tab order from the first channel option.
// Of a group of options only the selected one is a Tab stop.
QStringList TabOrder(QWidget& form) {
    QStringList names;
    QWidget* first = form.findChild<QWidget*>("Option1_0");
    for (QWidget* w = first; names.empty() || w != first; w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus && w->isVisibleTo(&form)) {
            names.push_back(w->objectName());
        }
    }
    return names;
}

TEST_F(ModeWindows, TabOrderFollowsTheDesign) {
    QStringList channels;
    for (int member = 1; member < 16; ++member) {
        channels.push_back(QStringLiteral("Option1_%1").arg(member));
    }
    auto mode1 = Open(1);
    EXPECT_EQ(TabOrder(*mode1).join(' '),
              "Option1_0 Text1 " + channels.join(' ') + " Command1 Command2 Pic");
    std::reverse(channels.begin(), channels.end());
    auto mode2 = Open(2);
    EXPECT_EQ(TabOrder(*mode2).join(' '),
              "Option1_0 Text1 Option2 Option3 Command1 Command2 Pic " + channels.join(' '));
}

// Leaving the field for another control of the window checks the entry: by
// Enter (which sends the focus to Pic), Tab, or a click on a channel (key 0).
TEST_F(ModeWindows, LeavingTheFieldChecksTheEntry) {
    struct Case {
        int mode;
        const char* typed;
        const char* shown; // "": rejected
        std::int16_t stored;
    };
    const Case cases[] = {{1, "7ff", "7FF", 2047},
                          {2, " 13.5 ", "14", 14},
                          {1, "12 4", "", Untouched},
                          {2, "1E3", "", Untouched}};
    for (const int key : {int{Qt::Key_Return}, int{Qt::Key_Tab}, 0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << key << " [" << c.typed << ']');
            const bool rejected = c.stored == Untouched;
            state.DataValue = Untouched;
            messages.beeps = 0;
            auto form = Open(c.mode);
            Type(*form, c.typed);
            // A rejected entry leaves the focus in the emptied field; leaving
            // again checks the empty entry and beeps again.
            for (int time = 1; time <= (rejected ? 2 : 1); ++time) {
                if (key == 0) {
                    Click(*form, "Option1_9");
                } else {
                    QTest::keyClick(Field(*form), static_cast<Qt::Key>(key));
                }
                EXPECT_EQ(messages.beeps, rejected ? time : 0);
            }
            EXPECT_EQ(Field(*form)->text(), c.shown);
            EXPECT_EQ(state.DataValue, c.stored);
            EXPECT_EQ(Focus(), rejected ? Field(*form) : Child(*form, "Pic"));
        }
    }
    EXPECT_TRUE(port.calls.empty()) << "leaving the field sends nothing";
}

TEST_F(ModeWindows, WindowLosingActivationLeavesTheEntryUnchecked) {
    auto form = Open(1);
    Type(*form, "zz");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_EQ(messages.beeps, 0);
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(Focus(), Field(*form));
    EXPECT_EQ(Field(*form)->text(), "zz");
}

// Qt delivers the click that took the focus from the field even after the check
// rejected the entry: it must not send the previous value as if accepted.
TEST_F(ModeWindows, UpdateAfterARejectedEntrySendsNothingBackStillCloses) {
    auto form = Open(1);
    Type(*form, "12 4");
    Click(*form, "Command1");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_TRUE(port.calls.empty());
    QTest::keyClicks(Field(*form), "5");
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x00005));

    Type(*form, "G12");
    Click(*form, "Command2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(state.DataValue, 5);
    EXPECT_TRUE(port.calls.empty());
}

// No default button: Enter on a channel or the focus target must send nothing.
TEST_F(ModeWindows, EnterPressesOnlyAFocusedButton) {
    auto form = Open(1);
    for (const char* name : {"Option1_0", "Pic", "Command1"}) {
        Child(*form, name)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Focus(), Qt::Key_Return);
    }
    EXPECT_EQ(port.calls, WordWrites(888, Untouched)) << "once, from Command1";
}

} // namespace
} // namespace qv4130::testing

// What the mode windows send to the board, and how they load, open and close.
#include "ModeWindowHarness.h"

#include <QTimer>

#include <functional>
#include <vector>

namespace qv4130::testing {
namespace {

class ModeWindows : public ModeWindowTest {
protected:
    // Opens the window through its opener, as the main window does, and works
    // it inside the modal loop; `operate` must close it.
    template <auto Opener> void OpenModal(const std::function<void(QWidget&)>& operate) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
            operate(*modal);
            ran = true;
        });
        Opener(nullptr, port, state, messages);
        EXPECT_TRUE(ran);
    }
};

TEST_F(ModeWindows, Mode1WritesTheTypedCodeToTheSelectedChannel) {
    auto form = Open<Mode1Form>();
    Click(*form, "Option1_5");
    Type(*form, "a00");
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00));
    EXPECT_EQ(state.DataValue, 2560);
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00)) << "each press sends the word again";
}

TEST_F(ModeWindows, Mode2StepsUpOrDownByTheTypedStep) {
    for (auto [direction, word] : {std::pair{"Option3", 0x2F07F}, std::pair{"Option2", 0x1F07F}}) {
        auto form = Open<Mode2Form>();
        Click(*form, direction);
        Click(*form, "Option1_15");
        Type(*form, "127");
        Click(*form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, word)) << direction;
    }
}

TEST_F(ModeWindows, LoadSetsModeAndChannelAndSendsTheStoredValueNotTheDisplay) {
    // What the test sweep leaves behind.
    state.DataValue = 3072;
    state.SelectedChannel = 15;
    {
        auto form = Open<Mode1Form>();
        EXPECT_EQ(state.FrameMode, 0);
        EXPECT_EQ(state.SelectedChannel, 0);
        EXPECT_EQ(Field(*form)->text(), "000");
        EXPECT_EQ(QApplication::focusWidget(), Channel(*form, 0)) << "never starts in the field";
        Click(*form, "Option1_3");
        Click(*form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, 0x03C00));
        Type(*form, "a00");
        Click(*form, "Command2");
    }
    auto form = Open<Mode2Form>();
    EXPECT_EQ(state.FrameMode, 1);
    EXPECT_TRUE(Option(*form, "Option2")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Channel(*form, 0));
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x10A00)) << "the Mode 1 code goes out as the step";
}

TEST_F(ModeWindows, EachOpeningIsAFreshWindow) {
    OpenModal<OpenMode1Form>([](QWidget& form) {
        Click(form, "Option1_7");
        Type(form, "abc");
        Click(form, "Command2");
    });
    OpenModal<OpenMode2Form>([](QWidget& form) {
        Click(form, "Option3");
        Click(form, "Option1_12");
        Click(form, "Command2");
    });
    EXPECT_EQ(state.DataValue, 0xABC);
    OpenModal<OpenMode1Form>([this](QWidget& form) {
        EXPECT_EQ(Field(form)->text(), "000");
        EXPECT_TRUE(Channel(form, 0)->isChecked());
        EXPECT_EQ(state.SelectedChannel, 0);
        Click(form, "Command2");
    });
    OpenModal<OpenMode2Form>([this](QWidget& form) {
        EXPECT_TRUE(Option(form, "Option2")->isChecked());
        EXPECT_EQ(state.FrameMode, 1);
        // Escape closes like the close box, dropping the entry unchecked.
        Type(form, "abc");
        QTest::keyClick(Field(form), Qt::Key_Escape);
    });
    EXPECT_EQ(state.DataValue, 0xABC);
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_TRUE(port.calls.empty());
}

// The controls that can hold the focus, in tab order from the first channel
// option. Of a group of options only the selected one is a Tab stop.
std::vector<QString> TabOrder(QWidget& form) {
    std::vector<QString> names;
    QWidget* first = ModeWindowTest::Channel(form, 0);
    QWidget* widget = first;
    do {
        if (widget->focusPolicy() != Qt::NoFocus && widget->isVisibleTo(&form)) {
            names.push_back(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return names;
}

TEST_F(ModeWindows, TabOrderAndTheOffScreenFocusTarget) {
    auto mode1 = Open<Mode1Form>();
    std::vector<QString> expected{"Option1_0", "Text1"};
    for (int member = 1; member < 16; ++member) {
        expected.push_back(QStringLiteral("Option1_%1").arg(member));
    }
    expected.insert(expected.end(), {"Command1", "Command2", "Pic"});
    EXPECT_EQ(TabOrder(*mode1), expected);

    auto mode2 = Open<Mode2Form>();
    EXPECT_EQ(
        TabOrder(*mode2),
        (std::vector<QString>{"Option1_0",  "Text1",      "Option2",    "Option3",    "Command1",
                              "Command2",   "Pic",        "Option1_15", "Option1_14", "Option1_13",
                              "Option1_12", "Option1_11", "Option1_10", "Option1_9",  "Option1_8",
                              "Option1_7",  "Option1_6",  "Option1_5",  "Option1_4",  "Option1_3",
                              "Option1_2",  "Option1_1"}));
    for (QWidget* form : {static_cast<QWidget*>(mode1.get()), static_cast<QWidget*>(mode2.get())}) {
        EXPECT_GE(Child(*form, "Pic")->x(), form->width()) << "out of sight";
        EXPECT_FALSE(Child(*form, "Command3")->isVisible());
    }
}

} // namespace
} // namespace qv4130::testing

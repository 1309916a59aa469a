// What the mode windows send to the board, and how they open and close.
#include "ModeWindowHarness.h"

#include <QTimer>

#include <functional>

namespace qv4130::testing {
namespace {

class ChannelWord : public ModeWindowTest {
protected:
    // Opens the window through its opener, as the main window does, and runs
    // `operate` inside the modal loop; the operator's last act must close it.
    void RunModal(const std::function<void(QWidget*)>& opener,
                  const std::function<void(QWidget&)>& operate) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
            operate(*modal);
            ran = true;
        });
        opener(nullptr);
        EXPECT_TRUE(ran);
    }
    void OpenMode1(const std::function<void(QWidget&)>& operate) {
        RunModal([&](QWidget* main) { OpenMode1Form(main, port, state, messages); }, operate);
    }
    void OpenMode2(const std::function<void(QWidget&)>& operate) {
        RunModal([&](QWidget* main) { OpenMode2Form(main, port, state, messages); }, operate);
    }
};

TEST_F(ChannelWord, Mode1WritesTheTypedCodeToTheSelectedChannel) {
    auto form = Open<Mode1Form>();
    SelectChannel(*form, 5);
    Type(*form, QStringLiteral("a00"));
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00));
    EXPECT_EQ(state.DataValue, 2560);
    EXPECT_EQ(Field(*form)->text(), QStringLiteral("A00"));
    // Each press sends one word, the same again when nothing changed.
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00));
}

TEST_F(ChannelWord, Mode2StepsUpOrDownByTheTypedStep) {
    struct Case {
        const char* direction;
        std::int32_t word;
    };
    for (const Case& c : {Case{"Option2", 0x1F07F}, Case{"Option3", 0x2F07F}}) {
        SCOPED_TRACE(c.direction);
        auto form = Open<Mode2Form>();
        Click(*form, c.direction);
        SelectChannel(*form, 15);
        Type(*form, QStringLiteral("127"));
        Click(*form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, c.word));
    }
}

TEST_F(ChannelWord, UntouchedFieldSendsTheLastStoredValueNotTheDisplay) {
    // Left behind by the test sweep: 3072 on channel 15.
    state.DataValue = 3072;
    state.SelectedChannel = 15;
    {
        auto form = Open<Mode1Form>();
        EXPECT_EQ(Field(*form)->text(), QStringLiteral("000"));
        SelectChannel(*form, 3);
        Click(*form, "Command1");
        EXPECT_EQ(port.Take(), WordWrites(888, 0x03C00));
        Type(*form, QStringLiteral("a00"));
        Click(*form, "Command2");
    }
    // The Mode 1 code carries over to Mode 2 as its step.
    EXPECT_EQ(state.DataValue, 2560);
    auto form = Open<Mode2Form>();
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x10A00));
}

TEST_F(ChannelWord, UpdateAfterARejectedEntrySendsNothing) {
    state.DataValue = 100;
    auto form = Open<Mode1Form>();
    Type(*form, QStringLiteral("12 4"));
    Click(*form, "Command1");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(state.DataValue, 100);
    EXPECT_EQ(QApplication::focusWidget(), Field(*form));

    // A valid entry afterwards goes out as usual.
    QTest::keyClicks(Field(*form), QStringLiteral("5"));
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x00005));
}

TEST_F(ChannelWord, BackClosesEvenAfterARejectedEntry) {
    state.DataValue = 100;
    auto form = Open<Mode2Form>();
    Type(*form, QStringLiteral("abc"));
    Click(*form, "Command2");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(state.DataValue, 100);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ChannelWord, LoadSetsModeAndChannelButLeavesTheValue) {
    state.DataValue = 1234;
    state.FrameMode = 2;
    state.SelectedChannel = 9;
    {
        auto form = Open<Mode1Form>();
        EXPECT_EQ(state.FrameMode, 0);
        EXPECT_EQ(state.SelectedChannel, 0);
        EXPECT_TRUE(Channel(*form, 0)->isChecked());
        // The operator starts on the channel, not in the field.
        EXPECT_EQ(QApplication::focusWidget(), Channel(*form, 0));
    }
    auto form = Open<Mode2Form>();
    EXPECT_EQ(state.FrameMode, 1);
    EXPECT_EQ(state.SelectedChannel, 0);
    EXPECT_TRUE(Child<QRadioButton>(*form, "Option2")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Channel(*form, 0));
    Click(*form, "Option3");
    EXPECT_EQ(state.FrameMode, 2);
    Click(*form, "Option2");
    EXPECT_EQ(state.FrameMode, 1);
    EXPECT_EQ(state.DataValue, 1234);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ChannelWord, EachOpeningIsAFreshWindow) {
    OpenMode1([](QWidget& form) {
        SelectChannel(form, 7);
        Type(form, QStringLiteral("abc"));
        Click(form, "Command2");
    });
    EXPECT_EQ(state.DataValue, 0xABC);
    OpenMode1([this](QWidget& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Mode 1 Operation"));
        EXPECT_EQ(Field(form)->text(), QStringLiteral("000"));
        EXPECT_TRUE(Channel(form, 0)->isChecked());
        EXPECT_EQ(state.SelectedChannel, 0);
        Click(form, "Command2");
    });

    OpenMode2([](QWidget& form) {
        Click(form, "Option3");
        SelectChannel(form, 12);
        Click(form, "Command2");
    });
    OpenMode2([this](QWidget& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Mode 2 Operation"));
        EXPECT_TRUE(Child<QRadioButton>(form, "Option2")->isChecked());
        EXPECT_FALSE(Child<QRadioButton>(form, "Option3")->isChecked());
        EXPECT_EQ(state.FrameMode, 1);
        EXPECT_EQ(state.SelectedChannel, 0);
        // Escape closes the window like the close box, dropping the entry unchecked.
        Type(form, QStringLiteral("abc"));
        QTest::keyClick(Field(form), Qt::Key_Escape);
    });
    EXPECT_EQ(state.DataValue, 0xABC);
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_TRUE(port.calls.empty());
}

} // namespace
} // namespace qv4130::testing

// The controls of the two mode windows: names, captions, tab order, frame.
#include "ModeWindowHarness.h"

#include <QGroupBox>
#include <QLabel>

#include <string>
#include <vector>

namespace qv4130::testing {
namespace {

// The controls that can hold the focus, in tab order from `first`, once round.
// Of a group of options only the selected one is a Tab stop; the arrow keys
// move within the group.
std::vector<std::string> TabOrder(QWidget& first) {
    std::vector<std::string> names;
    QWidget* widget = &first;
    do {
        if (widget->focusPolicy() != Qt::NoFocus && widget->isVisibleTo(first.window())) {
            names.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != &first);
    return names;
}

std::vector<std::string> Channels(int from, int to) {
    std::vector<std::string> names;
    for (int member = from; from <= to ? member <= to : member >= to;
         member += from <= to ? 1 : -1) {
        names.push_back("Option1_" + std::to_string(member));
    }
    return names;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class ModeWindowLayout : public ModeWindowTest {
protected:
    void ExpectCommonControls(QWidget& form, const char* caption) {
        EXPECT_EQ(form.windowTitle(), QString::fromLatin1(caption));
        const Qt::WindowFlags flags = form.windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_LT(form.minimumWidth(), form.maximumWidth()) << "the border is sizable";
        EXPECT_EQ(Child<QGroupBox>(form, "Frame2")->title(), QStringLiteral("Select Channel"));
        for (int member = 0; member < 16; ++member) {
            EXPECT_EQ(Channel(form, member)->text(),
                      QStringLiteral("%1").arg(member, 2, 10, QChar('0')));
        }
        EXPECT_EQ(Child<QPushButton>(form, "Command1")->text(), QStringLiteral("Update Channel"));
        EXPECT_EQ(Child<QPushButton>(form, "Command2")->text(), QStringLiteral("Back"));
        EXPECT_FALSE(Child<QPushButton>(form, "Command3")->isVisible());
        EXPECT_EQ(Field(form)->text(), QStringLiteral("000"));
        // The focus target lies right of the client area.
        EXPECT_GE(Pic(form)->x(), form.width());
    }
};

TEST_F(ModeWindowLayout, Mode1) {
    auto form = Open<Mode1Form>();
    ExpectCommonControls(*form, "Mode 1 Operation");
    EXPECT_EQ(Child<QLabel>(*form, "Label1")->text(), QStringLiteral("Enter Dac Word (Hex)"));
    EXPECT_EQ(TabOrder(*Channel(*form, 0)),
              Join({{"Option1_0", "Text1"}, Channels(1, 15), {"Command1", "Command2", "Pic"}}));
}

TEST_F(ModeWindowLayout, Mode2) {
    auto form = Open<Mode2Form>();
    ExpectCommonControls(*form, "Mode 2 Operation");
    EXPECT_EQ(Child<QLabel>(*form, "Label1")->text(), QStringLiteral("Size of       Inc / Dec"));
    EXPECT_EQ(Child<QLabel>(*form, "Label2")->text(), QStringLiteral("LSBs"));
    EXPECT_EQ(Child<QRadioButton>(*form, "Option2")->text(), QStringLiteral("Increment Code"));
    EXPECT_EQ(Child<QRadioButton>(*form, "Option3")->text(), QStringLiteral("Decrement Code"));
    // Member 15 sits a little lower than the rest of its row.
    EXPECT_GT(Channel(*form, 15)->y(), Channel(*form, 14)->y());
    EXPECT_EQ(
        TabOrder(*Channel(*form, 15)),
        Join({Channels(15, 0), {"Text1", "Option2", "Option3", "Command1", "Command2", "Pic"}}));
}

} // namespace
} // namespace qv4130::testing

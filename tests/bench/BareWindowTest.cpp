#include "BareWindow.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/MainForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace qv4130 {
namespace {

// What the operator sees of a window's buttons: caption, place and font, in
// creation order.
QStringList Buttons(const QMainWindow& window) {
    QStringList buttons;
    for (const QPushButton* button : window.centralWidget()->findChildren<QPushButton*>()) {
        const QRect place = button->geometry();
        const QFont font = button->font();
        buttons << QStringLiteral("%1 @%2,%3 %4x%5 %6 %7pt%8")
                       .arg(button->text())
                       .arg(place.x())
                       .arg(place.y())
                       .arg(place.width())
                       .arg(place.height())
                       .arg(font.family())
                       .arg(font.pointSizeF())
                       .arg(font.bold() ? " bold" : "");
    }
    return buttons;
}

// Every menu title with its items, marking the ones that carry a check.
QStringList Menus(const QMainWindow& window) {
    QStringList menus;
    for (const QAction* title : window.menuBar()->actions()) {
        menus << title->text();
        for (const QAction* item : title->menu()->actions()) {
            menus << QStringLiteral("  ") + item->text() + (item->isCheckable() ? "[ ]" : "");
        }
    }
    return menus;
}

TEST(BareWindowTest, IsTheMainWindowsTwinInSizeButtonsAndMenu) {
    testing::RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = 888;
    testing::RecordingMessageSink messages;
    MainForm main(port, state, messages, ChildWindows{});
    bench::BareWindow bare;
    main.show();
    bare.show();

    EXPECT_EQ(bare.size(), main.size());
    EXPECT_EQ(bare.centralWidget()->size(), main.centralWidget()->size());
    const QStringList buttons = Buttons(main);
    EXPECT_EQ(buttons.size(), 7);
    EXPECT_EQ(Buttons(bare), buttons);
    EXPECT_EQ(Menus(bare), Menus(main));
    EXPECT_EQ(Menus(bare).size(), 4);
}

} // namespace
} // namespace qv4130

#include "HostFakes.h"
#include "ui/ApplicationIcon.h"
#include "ui/FormGeometry.h"
#include "ui/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qv4130::testing {
namespace {

void ShowActive(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(AboutWindow, CaptionVersionLineSizeAndIcon) {
    for (const auto& [version, line] : {std::pair{ProgramVersion(), "Version 2.0.1"},
                                        std::pair{VersionNumbers{2, 5, 1}, "Version 2.5.1"}}) {
        FakeSystemInformationHost host;
        frmAbout about(host.Host(), version);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About QV4130"));
        EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), QString::fromLatin1(line));
        const QSize client(TwipsToPixels(5715, &about), TwipsToPixels(3090, &about));
        EXPECT_EQ(about.minimumSize(), client);
        EXPECT_EQ(about.maximumSize(), client);
        EXPECT_EQ(about.findChild<QLabel*>("picIcon")->pixmap().toImage(),
                  ApplicationIconPixmap().toImage());
    }
}

TEST(AboutWindow, FocusStartsOnOkTabsThroughIconAndSystemInfoAndOkEnterOrEscapeClose) {
    const QString focusOrder[] = {"cmdOK", "picIcon", "cmdSysInfo"};
    for (const auto& [tabs, key] :
         {std::pair{0, Qt::Key_Space}, {1, Qt::Key_Enter}, {2, Qt::Key_Escape}}) {
        SCOPED_TRACE(tabs);
        FakeSystemInformationHost host;
        frmAbout about(host.Host());
        ShowActive(about);
        for (int tab = 0; tab < tabs; ++tab) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), focusOrder[tabs]);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(about.isVisible());
        EXPECT_TRUE(host.messages.boxes.empty()) << "System Info was not pressed";
    }
}

// The lookups are StartSysInfo's own tests; here the button must run them (on
// this empty registry they end in the message) and leave the window open.
TEST(AboutWindow, SystemInfoByAccessKeyLooksForTheToolAndTheWindowStaysOpen) {
    FakeSystemInformationHost host;
    frmAbout about(host.Host());
    ShowActive(about);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    // An access key clicks its button a moment later, with the button shown pressed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.messages.boxes.size() == 1; }));
    EXPECT_EQ(host.log.size(), 2u) << "both locations asked";
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutWindow, OpensOwnerlessAndCentredOnTheScreen) {
    FakeSystemInformationHost host;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* window = QApplication::activeModalWidget()) {
            seen = true;
            const QRect screen = window->screen()->geometry();
            const QRect outer = window->frameGeometry();
            EXPECT_EQ(window->parentWidget(), nullptr);
            EXPECT_NEAR(outer.top() - screen.top(), (screen.height() - outer.height()) / 2, 1);
            EXPECT_NEAR(outer.left() - screen.left(), (screen.width() - outer.width()) / 2, 1);
            window->close(); // never leave the test blocked
        }
    });
    OpenAbout(nullptr, host.Host());
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace qv4130::testing

#include "HostFakes.h"
#include "support/RecordingMessageSink.h"
#include "ui/ApplicationIcon.h"
#include "ui/FormGeometry.h"
#include "ui/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace qv4130::testing {
namespace {

struct AboutHost {
    FakeRegistry registry;
    FakeFileSystem files;
    RecordingProgramStarter programs;
    RecordingMessageSink messages;

    SystemInformationHost Host() { return {registry, files, programs, messages}; }
};

template <typename Widget = QWidget> Widget* Child(QWidget& window, const char* name) {
    auto* child = window.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void ShowActive(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(AboutWindow, CaptionAndVersionLineComeFromTheIdentity) {
    struct Case {
        VersionNumbers version;
        const char* expected;
    };
    const Case cases[] = {
        {ProgramVersion(), "Version 2.0.1"},
        {{2, 5, 1}, "Version 2.5.1"},
        {{10, 0, 12}, "Version 10.0.12"},
    };
    for (const Case& c : cases) {
        AboutHost host;
        frmAbout about(host.Host(), c.version);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About QV4130"));
        EXPECT_EQ(Child<QLabel>(about, "lblVersion")->text(), QString::fromLatin1(c.expected));
    }
}

TEST(AboutWindow, FixedClientAreaWithItsTextsAndIcon) {
    AboutHost host;
    frmAbout about(host.Host());
    const QSize client(TwipsToPixels(5715, &about), TwipsToPixels(3090, &about));
    EXPECT_EQ(about.minimumSize(), client);
    EXPECT_EQ(about.maximumSize(), client);

    const std::pair<const char*, const char*> texts[] = {
        {"lblTitle", "QV4130 Evaluation Board Software"},
        {"lblDescription", "Hardware and Software designed by the"},
        {"Label1", "Orvane Applications Group"},
        {"Label2", "The Latest version of all Tessaron Software"},
        {"Label3", "is available from our website"},
        {"Label4", "www.example.com"},
    };
    for (const auto& [name, text] : texts) {
        auto* label = Child<QLabel>(about, name);
        EXPECT_EQ(label->text(), QString::fromLatin1(text)) << name;
        // The label boxes share one vertical centre line, near x = 2890 twips.
        const int centre = label->geometry().center().x();
        EXPECT_NEAR(centre, TwipsToPixels(2890, &about), 2) << name;
    }
    EXPECT_EQ(Child<QPushButton>(about, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(Child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));

    const QPixmap icon = Child<QLabel>(about, "picIcon")->pixmap();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.toImage(), ApplicationIconPixmap().toImage());
    EXPECT_EQ(about.findChildren<QWidget*>(QStringLiteral("Line1")).size(), 2);
}

TEST(AboutWindow, FocusStartsOnOkAndTabsThroughIconAndSystemInfo) {
    AboutHost host;
    frmAbout about(host.Host());
    ShowActive(about);

    const char* order[] = {"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"};
    for (const char* name : order) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(AboutWindow, OkEnterEscapeAndTheCloseBoxCloseIt) {
    struct Case {
        const char* name;
        std::function<void(frmAbout&)> act;
    };
    const Case cases[] = {
        {"click OK",
         [](frmAbout& w) { QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton); }},
        {"Enter", [](frmAbout&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }},
        {"Enter on the icon",
         [](frmAbout& w) {
             Child(w, "picIcon")->setFocus();
             QTest::keyClick(Child(w, "picIcon"), Qt::Key_Enter);
         }},
        {"Esc on System Info",
         [](frmAbout& w) {
             Child(w, "cmdSysInfo")->setFocus();
             QTest::keyClick(Child(w, "cmdSysInfo"), Qt::Key_Escape);
         }},
        {"close box", [](frmAbout& w) { w.close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AboutHost host;
        frmAbout about(host.Host());
        ShowActive(about);
        c.act(about);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(host.programs.attempts, 0);
        EXPECT_TRUE(host.messages.boxes.empty());
    }
}

TEST(AboutWindow, SystemInfoStartsTheToolAndTheWindowStaysOpen) {
    struct Case {
        const char* name;
        bool registered;
        std::function<void(frmAbout&)> press;
    };
    const auto click = [](frmAbout& w) {
        QTest::mouseClick(Child<QPushButton>(w, "cmdSysInfo"), Qt::LeftButton);
    };
    const auto accessKey = [](frmAbout&) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    };
    const Case cases[] = {
        {"registered, click", true, click},
        {"registered, Alt+S", true, accessKey},
        {"unregistered, click", false, click},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AboutHost host;
        if (c.registered) {
            host.registry.SetValue(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                   "PATH", Text("C:\\MSInfo\\msinfo32.exe"));
        }
        frmAbout about(host.Host());
        ShowActive(about);
        c.press(about);
        // An access key clicks its button a moment later, as a mouse click would look.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return host.programs.attempts > 0 || !host.messages.boxes.empty(); }));

        EXPECT_TRUE(about.isVisible());
        if (c.registered) {
            ASSERT_EQ(host.programs.started.size(), 1u);
            EXPECT_EQ(host.programs.started[0].first, "C:\\MSInfo\\msinfo32.exe");
            EXPECT_TRUE(host.messages.boxes.empty());
        } else {
            EXPECT_EQ(host.messages.boxes,
                      (std::vector<ShownMessage>{{"System Information Is Unavailable At This Time",
                                                  "QV4130", MessageIcon::None}}));
        }
    }
}

// Runs OpenAbout and, once its window is up, hands that window to `inside`;
// returns whether OpenAbout came back after `inside` closed the window.
bool WhileOpen(AboutHost& host, const std::function<void(QWidget&)>& inside) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        seen = true;
        inside(*modal);
        // A window left open would block the test for ever.
        QTimer::singleShot(0, modal, [modal] { modal->close(); });
    });
    OpenAbout(nullptr, host.Host());
    return seen;
}

TEST(AboutWindow, EveryOpeningIsAFreshWindowCentredOnTheScreen) {
    AboutHost host;
    const auto expectCentred = [](QWidget& window) {
        const QRect screen = window.screen()->geometry();
        const QRect outer = window.frameGeometry();
        EXPECT_NEAR(outer.top() - screen.top(), (screen.height() - outer.height()) / 2, 1);
        EXPECT_NEAR(outer.left() - screen.left(), (screen.width() - outer.width()) / 2, 1);
    };
    QPointer<QWidget> first;
    ASSERT_TRUE(WhileOpen(host, [&](QWidget& window) {
        first = &window;
        EXPECT_EQ(window.objectName(), QStringLiteral("frmAbout"));
        EXPECT_EQ(window.parentWidget(), nullptr);
        expectCentred(window);
        window.move(5, 7);
        QTest::mouseClick(Child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
    }));
    EXPECT_TRUE(first.isNull()) << "the closed window is gone";
    ASSERT_TRUE(WhileOpen(host, [&](QWidget& window) {
        expectCentred(window);
        window.close();
    }));
}

} // namespace
} // namespace qv4130::testing

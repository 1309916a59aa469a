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

QWidget* Child(QWidget& window, const char* name) {
    auto* child = window.findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void ShowActive(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(AboutWindow, CaptionAndVersionLineComeFromTheIdentity) {
    const std::pair<VersionNumbers, const char*> cases[] = {
        {ProgramVersion(), "Version 2.0.1"},
        {{2, 5, 1}, "Version 2.5.1"},
        {{10, 0, 12}, "Version 10.0.12"},
    };
    for (const auto& [version, expected] : cases) {
        AboutHost host;
        frmAbout about(host.Host(), version);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About QV4130"));
        EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), QString::fromLatin1(expected));
    }
}

TEST(AboutWindow, FixedSizeLabelsOnOneCentreLineAndTheProgramIcon) {
    AboutHost host;
    frmAbout about(host.Host());
    const QSize client(TwipsToPixels(5715, &about), TwipsToPixels(3090, &about));
    EXPECT_EQ(about.minimumSize(), client);
    EXPECT_EQ(about.maximumSize(), client);

    for (const char* name :
         {"lblTitle", "lblVersion", "lblDescription", "Label1", "Label2", "Label3", "Label4"}) {
        EXPECT_NEAR(Child(about, name)->geometry().center().x(), TwipsToPixels(2890, &about), 2)
            << name;
    }
    const QPixmap icon = about.findChild<QLabel*>("picIcon")->pixmap();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.toImage(), ApplicationIconPixmap().toImage());
}

TEST(AboutWindow, FocusStartsOnOkAndTabsThroughIconAndSystemInfo) {
    AboutHost host;
    frmAbout about(host.Host());
    ShowActive(about);

    for (const char* name : {"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"}) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(AboutWindow, OkEnterEscapeAndTheCloseBoxCloseIt) {
    const auto key = [](const char* focus, Qt::Key key) {
        return [=](frmAbout& window) {
            Child(window, focus)->setFocus();
            QTest::keyClick(Child(window, focus), key);
        };
    };
    const std::pair<const char*, std::function<void(frmAbout&)>> cases[] = {
        {"click OK", [](frmAbout& w) { QTest::mouseClick(Child(w, "cmdOK"), Qt::LeftButton); }},
        {"Enter on OK", key("cmdOK", Qt::Key_Return)},
        {"Enter on the icon", key("picIcon", Qt::Key_Enter)},
        {"Esc on System Info", key("cmdSysInfo", Qt::Key_Escape)},
        {"close box", [](frmAbout& w) { w.close(); }},
    };
    for (const auto& [name, act] : cases) {
        SCOPED_TRACE(name);
        AboutHost host;
        frmAbout about(host.Host());
        ShowActive(about);
        act(about);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(host.programs.attempts, 0);
        EXPECT_TRUE(host.messages.boxes.empty());
    }
}

TEST(AboutWindow, SystemInfoStartsTheToolByClickOrAccessKeyAndTheWindowStaysOpen) {
    const std::pair<bool, bool> cases[] = {{true, false}, {true, true}, {false, false}};
    for (const auto& [registered, byAccessKey] : cases) {
        SCOPED_TRACE(::testing::Message() << registered << byAccessKey);
        AboutHost host;
        if (registered) {
            host.registry.keys["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"].values["PATH"] =
                Text("C:\\MSInfo\\msinfo32.exe");
        }
        frmAbout about(host.Host());
        ShowActive(about);
        if (byAccessKey) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        } else {
            QTest::mouseClick(Child(about, "cmdSysInfo"), Qt::LeftButton);
        }
        // An access key clicks its button a moment later, with the button shown pressed.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return host.programs.attempts > 0 || !host.messages.boxes.empty(); }));

        EXPECT_TRUE(about.isVisible());
        EXPECT_EQ(host.programs.started.size(), registered ? 1u : 0u);
        EXPECT_EQ(host.messages.boxes.size(), registered ? 0u : 1u);
    }
}

TEST(AboutWindow, EveryOpeningIsAFreshOwnerlessWindowCentredOnTheScreen) {
    AboutHost host;
    // Runs OpenAbout; `inside` gets its window once it is up and must close it.
    const auto whileOpen = [&](const std::function<void(QWidget&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* window = QApplication::activeModalWidget()) {
                seen = true;
                inside(*window);
                window->close(); // never leave the test blocked
            }
        });
        OpenAbout(nullptr, host.Host());
        return seen;
    };
    const auto expectCentred = [](QWidget& window) {
        const QRect screen = window.screen()->geometry();
        const QRect outer = window.frameGeometry();
        EXPECT_EQ(window.parentWidget(), nullptr);
        EXPECT_NEAR(outer.top() - screen.top(), (screen.height() - outer.height()) / 2, 1);
        EXPECT_NEAR(outer.left() - screen.left(), (screen.width() - outer.width()) / 2, 1);
    };
    QPointer<QWidget> first;
    ASSERT_TRUE(whileOpen([&](QWidget& window) {
        first = &window;
        expectCentred(window);
        window.move(5, 7);
    }));
    EXPECT_TRUE(first.isNull()) << "a closed window is gone";
    ASSERT_TRUE(whileOpen(expectCentred));
}

} // namespace
} // namespace qv4130::testing

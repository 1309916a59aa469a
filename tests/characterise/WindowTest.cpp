// The "Characterise…" window on the virtual board with its simulated meter, run
// as an operator runs it: the figures it shows, how its runs end, the files it
// saves, and that the other windows' events go on between its codes.
#include "RunRig.h"
#include "characterise/LinearityReport.h"
#include "characterise/qt/CharacteriseWindow.h"
#include "characterise/qt/Envelope.h"
#include "rig/MeterConnection.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <sstream>
#include <thread>

namespace qv4130::characterise {
namespace {

constexpr int Channel = 5;
constexpr int CodeBefore = 1234;

struct WindowRig {
    explicit WindowRig(MeterConnector connectMeter = {})
        : window({.output = &rig.output,
                  .connectMeter =
                      connectMeter ? std::move(connectMeter) : ConnectorFor(&rig.board, &rig.model),
                  .simulatedMeter = true,
                  .boardReferenceVolts = rig.model.Vref()}) {
        EXPECT_EQ(rig.instrument.WriteCode(Channel, CodeBefore), ActionResult::Done);
        Spin("channel")->setValue(Channel);
        window.show();
    }

    QSpinBox* Spin(const char* name) { return window.findChild<QSpinBox*>(name); }
    QPushButton* Button(const char* name) { return window.findChild<QPushButton*>(name); }
    QString Text(const char* name) { return window.findChild<QLabel*>(name)->text(); }

    // Starts the run, does `meanwhile`, and waits for the run's end.
    void RunWhole(const std::function<void()>& meanwhile = {}) {
        QSignalSpy ended(&window.Stepper(), &RunStepper::Ended);
        Button("start")->click();
        if (meanwhile) {
            meanwhile();
        }
        ASSERT_TRUE(ended.wait(30'000)) << Text("status").toStdString();
    }

    // A board with another reference than the usual 2.5 V, which the window must start from.
    RunRig rig{Channel, {.vref = 3.3}};
    CharacteriseWindow window;
};

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A whole run shows the arithmetic's figures. It gives the event loop a turn
// every few milliseconds, even with no settle time, and redraws far less often
// than it measures. Each button saves its file where the operator names it, and
// says so when the folder does not exist.
TEST(CharacteriseWindow, AWholeRunShowsTheArithmeticsFiguresLetsOtherEventsRunAndIsSaved) {
    WindowRig w; // every code, as the window starts
    EXPECT_EQ(w.window.findChild<QDoubleSpinBox*>("vref")->value(), 3.3);
    w.window.findChild<QDoubleSpinBox*>("vref")->setValue(3.0);
    w.Spin("codeSpan")->setValue(4000);
    // A timer started behind the run's first turn's: it fires once that turn gives way.
    std::optional<int> doneWhenAnEventRan;
    QTimer probe;
    probe.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { doneWhenAnEventRan = w.window.Stepper().Run()->Progress().done; });
    w.RunWhole([&] { probe.start(0); });

    std::vector<Point> expected;
    for (int code = 0; code <= FullScaleCode; ++code) {
        expected.push_back({code, w.rig.model.Volts(Channel, code)});
    }
    ASSERT_TRUE(doneWhenAnEventRan.has_value());
    EXPECT_LT(*doneWhenAnEventRan, FullScaleCode);
    EXPECT_LT(w.window.Redraws(), FullScaleCode / 100); // far from one a code
    const Linearity figures = Analyse(expected, {.vref = 3.0, .codeSpan = 4000});
    EXPECT_EQ(w.Text("summary").toStdString(), SummaryText(figures, Channel));
    // The model's channel has its bow and its code-to-code wobble, as a real one would.
    EXPECT_GT(
        std::min(std::abs(figures.summary->inlEndPoint.lsb), std::abs(figures.summary->dnl.lsb)),
        0.1);
    EXPECT_TRUE(w.Text("status").startsWith("Done; 4096 codes kept; channel 5 back at 1234"))
        << w.Text("status").toStdString();
    EXPECT_EQ(w.rig.board.Chip().Code(Channel), CodeBefore);

    const QTemporaryDir dir;
    for (const auto& [button, file] :
         {std::pair{"saveCsv", "run.csv"}, {"savePng", "plots.png"}, {"saveSvg", "plots.svg"}}) {
        SCOPED_TRACE(button);
        const QString missing = dir.filePath(QStringLiteral("no such folder/") + file);
        for (const QString& chosen : {dir.filePath(file), missing}) {
            // The operator names the file in the save dialog and presses Enter.
            QTimer::singleShot(0, [&chosen] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                name->setText(chosen);
                QTest::keyClick(name, Qt::Key_Return);
            });
            w.Button(button)->click();
        }
        EXPECT_EQ(w.Text("status"), "Could not write " + missing + ".");
    }
    // The rows the command line would write, under the record of this run.
    std::ostringstream rows;
    WriteCsv(rows, w.window.Result(), {});
    const QString csv = Contents(dir.filePath("run.csv"));
    EXPECT_TRUE(csv.startsWith("# qv4130 characterisation of channel 5, "));
    EXPECT_TRUE(csv.contains("\n# meter: QV4130,Simulated DMM"));
    EXPECT_EQ(csv.section('\n', 4), QString::fromStdString(rows.str()).section('\n', 4));
    // The lines drawn: only they (and the legend's swatches) have colour.
    const QImage png(dir.filePath("plots.png"));
    int coloured = 0;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            coloured += QColor(png.pixel(x, y)).hsvSaturation() > 100 ? 1 : 0;
        }
    }
    EXPECT_GT(coloured, 2000);
    // A valid drawing, and one of the plots in it.
    EXPECT_TRUE(QSvgRenderer(dir.filePath("plots.svg")).isValid());
    EXPECT_TRUE(Contents(dir.filePath("plots.svg")).contains("INL, best-fit line"));
}

// Tab goes through the settings top to bottom, then the buttons left to right, and
// never stops on a plot.
TEST(CharacteriseWindow, TabVisitsTheSettingsThenTheButtons) {
    WindowRig w;
    w.window.findChild<QCheckBox*>("endAtCode")->setChecked(true);
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    w.window.findChild<QWidget*>("meterAddress")->setFocus();
    QStringList visited;
    for (int press = 0; press < 14; ++press) {
        QWidget* focused = QApplication::focusWidget();
        // A spin box takes the focus through its own line edit.
        while (focused != nullptr && focused->objectName().startsWith("qt_")) {
            focused = focused->parentWidget();
        }
        visited << (focused != nullptr ? focused->objectName() : QStringLiteral("(none)"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited.join(' ').toStdString(),
              "meterAddress channel fromCode toCode step settleMs readingsPerCode vref codeSpan "
              "endAtCode endCode start meterAddress channel");
}

// However the operator ends a run, it keeps its points and leaves the channel
// at the end code.
TEST(CharacteriseWindow, AStoppedRunKeepsItsPointsAndEndsAtTheEndCode) {
    struct Case {
        const char* name;
        std::optional<Qt::Key> key; // pressed on the focused button, else Stop clicked
        std::optional<int> endCode;
    };
    const Case cases[] = {
        {"Stop clicked", {}, {}},
        {"Space on the focused button, at a chosen code", Qt::Key_Space, 777},
        {"Esc closes the window", Qt::Key_Escape, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w;
        w.Spin("settleMs")->setValue(1); // a timer's turn for every code
        w.Spin("step")->setValue(2);
        if (c.endCode) {
            w.window.findChild<QCheckBox*>("endAtCode")->setChecked(true);
            w.Spin("endCode")->setValue(*c.endCode);
        }
        int measured = 0;
        QObject::connect(&w.window.Stepper(), &RunStepper::Measured, [&] {
            if (++measured == 5 && c.key) {
                QTest::keyClick(w.window.focusWidget(), *c.key);
            } else if (measured == 5) {
                w.Button("stop")->click();
            }
        });
        w.RunWhole();
        EXPECT_EQ(w.rig.board.Chip().Code(Channel), c.endCode.value_or(CodeBefore));
        EXPECT_TRUE(w.Text("status").startsWith("Stopped; 5 codes kept"));
        // The figures of five codes must not pass for the channel's.
        EXPECT_TRUE(w.Text("summary").startsWith(
            "partial: stopped after code 8 of 0..4095 (5 of 2049 codes)"))
            << w.Text("summary").toStdString();
        EXPECT_EQ(w.window.isVisible(), c.key != Qt::Key_Escape);
    }
}

// A meter over a link that answers when the test lets it: until then its
// reading is in flight (a slow meter, or one that stopped answering). Let go,
// it reads 1 V or fails as a meter that never answered does.
class GatedMeter final : public Meter {
public:
    double ReadVolts() override {
        waiting = true;
        for (int ms = 0; ms < 10'000 && !open; ++ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        waiting = false;
        if (fail) {
            throw MeterError("meter dmm.lab did not answer READ?: no answer within 2000 ms");
        }
        return 1.0;
    }
    std::atomic<bool> waiting = false;
    std::atomic<bool> fail = false; // set before open
    std::atomic<bool> open = false;
};

// The windows and the SCPI clients are served while the meter takes its time.
// Stop writes the end code at once, and the run is over once the reading is
// back; a meter that fails on its own thread ends the run as on the window's.
TEST(CharacteriseWindow, AMeterThatTakesItsTimeHoldsNothingUp) {
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stopped while it reads" : "it fails on its own");
        auto gated = std::make_unique<GatedMeter>();
        GatedMeter* meter = gated.get(); // the window's own once it connects
        WindowRig w([&gated](std::optional<std::string>, int) { return std::move(gated); });
        w.window.findChild<QLineEdit*>("meterAddress")->setText("dmm.lab");
        w.Spin("fromCode")->setValue(100);
        QSignalSpy ended(&w.window.Stepper(), &RunStepper::Ended);
        w.Button("start")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return meter->waiting.load(); }));
        EXPECT_EQ(w.rig.board.Chip().Code(Channel), 100); // the first code, being read

        if (stop) {
            w.Button("stop")->click();
            EXPECT_EQ(w.rig.board.Chip().Code(Channel), CodeBefore);
            EXPECT_TRUE(meter->waiting);
            EXPECT_EQ(ended.count(), 0);
        }
        meter->fail = !stop;
        meter->open = true;
        ASSERT_TRUE(ended.wait());
        EXPECT_EQ(w.rig.board.Chip().Code(Channel), CodeBefore);
        EXPECT_TRUE(
            w.Text("status").contains(stop ? "Stopped" : "Meter dmm.lab did not answer READ?"))
            << w.Text("status").toStdString();
    }
}

// The plots draw a thinned series: a one-code spike must survive the thinning.
TEST(CharacteriseWindow, PlotsThinLongSeriesKeepingEveryExtreme) {
    const QList<QPointF> spikes{{0, 0}, {1, 5}, {2, 1}, {3, -4}, {4, 2}, {5, 0}};
    // Two buckets: each one's low and high, in code order.
    EXPECT_EQ(Envelope(spikes, 2), (QList<QPointF>{{0, 0}, {1, 5}, {3, -4}, {4, 2}}));
}

} // namespace
} // namespace qv4130::characterise

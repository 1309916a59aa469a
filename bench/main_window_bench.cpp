// What the main window costs to open, beside a bare Qt window with the same
// buttons and menu, and how long the test sweep keeps the operator waiting with
// its real pauses. Everything runs on the virtual board and, unless told
// otherwise, on the offscreen platform, so no screen is needed.
#include "BareWindow.h"
#include "board/Board.h"
#include "board/SharedState.h"
#include "host/MessageSink.h"
#include "ui/MainForm.h"
#include "virtualboard/VirtualBoard.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace qv4130;

// Nothing the bench does raises a box, but the window needs somewhere to send one.
class NullMessageSink final : public MessageSink {
public:
    void ShowMessage(const std::string&, const std::optional<std::string>&, MessageIcon,
                     const std::string&) override {}
    void Beep() override {}
};

// The main window on its own virtual board, as the program loads it on LPT1.
struct LoadedProgram {
    VirtualBoard board;
    SharedState state{.PortAddress = VirtualBoard::BaseAddress};
    Board actions{board, state};
    NullMessageSink messages;

    std::unique_ptr<QWidget> MakeMainForm() {
        return std::make_unique<MainForm>(actions, messages, ChildWindows{});
    }
};

// Bytes the heap holds: small blocks in malloc's arenas plus the large ones it
// maps on their own (a window's backing store can be one of those).
std::optional<double> HeapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
#else
    return std::nullopt;
#endif
}

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Shows the window and lets Qt do what comes before the first frame: the
// layout, the expose and the paint.
void ShowAndSettle(QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
}

// Destroys the window together with anything Qt had put off deleting.
void Destroy(std::unique_ptr<QWidget>& window) {
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename MakeWindow> void OpenShowDestroy(MakeWindow& make) {
    std::unique_ptr<QWidget> window = make();
    ShowAndSettle(*window);
    Destroy(window);
}

// What one open window holds on the heap once fonts, style and pixmap caches
// are warm: the median of a few openings, each measured while it is shown.
template <typename MakeWindow> std::optional<double> HeapPerWindow(MakeWindow& make) {
    OpenShowDestroy(make);
    std::vector<double> samples;
    for (int i = 0; i < 5; ++i) {
        const std::optional<double> before = HeapInUse();
        std::unique_ptr<QWidget> window = make();
        ShowAndSettle(*window);
        const std::optional<double> during = HeapInUse();
        Destroy(window);
        if (!before || !during) {
            return std::nullopt;
        }
        samples.push_back(*during - *before);
    }
    std::nth_element(samples.begin(), samples.begin() + 2, samples.end());
    return samples[2];
}

struct WindowFigures {
    double cpuSecondsPerWindow = 0;
    std::optional<double> heapBytes;
};

// The bare window's figures, kept for the main window's ratios when both run in
// one go (they are registered bare first).
std::optional<WindowFigures> bareFigures;

template <typename MakeWindow>
WindowFigures MeasureWindows(benchmark::State& state, MakeWindow make) {
    const double start = CpuSeconds();
    for (auto _ : state) {
        OpenShowDestroy(make);
    }
    WindowFigures figures;
    figures.cpuSecondsPerWindow =
        (CpuSeconds() - start) /
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    figures.heapBytes = HeapPerWindow(make);
    if (figures.heapBytes) {
        state.counters["heap_bytes"] = *figures.heapBytes;
    }
    return figures;
}

void BM_BareWindow(benchmark::State& state) {
    auto make = [] { return std::unique_ptr<QWidget>(std::make_unique<bench::BareWindow>()); };
    bareFigures = MeasureWindows(state, make);
}
BENCHMARK(BM_BareWindow)->Unit(benchmark::kMicrosecond);

void BM_MainWindow(benchmark::State& state) {
    LoadedProgram program;
    auto make = [&program] { return program.MakeMainForm(); };
    const WindowFigures figures = MeasureWindows(state, make);
    if (bareFigures && bareFigures->cpuSecondsPerWindow > 0) {
        state.counters["time_vs_bare"] =
            figures.cpuSecondsPerWindow / bareFigures->cpuSecondsPerWindow;
    }
    if (bareFigures && bareFigures->heapBytes && figures.heapBytes && *bareFigures->heapBytes > 0) {
        state.counters["heap_vs_bare"] = *figures.heapBytes / *bareFigures->heapBytes;
    }
}
BENCHMARK(BM_MainWindow)->Unit(benchmark::kMicrosecond);

// The whole test sweep as the operator gets it: sixteen words, each followed by
// the 5,000,000-pass count, so a few sweeps are enough.
void BM_TestSweep(benchmark::State& state) {
    LoadedProgram program;
    MainForm form(program.actions, program.messages, ChildWindows{});
    for (auto _ : state) {
        form.Command4_Click();
    }
    benchmark::DoNotOptimize(program.board.Chip());
}
BENCHMARK(BM_TestSweep)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the operator sees of a window: its sizes, each button's caption, place and
// font in creation order, and every menu with its items, marking those that
// carry a check.
QStringList Looks(const QMainWindow& window) {
    const QWidget& client = *window.centralWidget();
    QStringList looks{QStringLiteral("%1x%2, client %3x%4")
                          .arg(window.width())
                          .arg(window.height())
                          .arg(client.width())
                          .arg(client.height())};
    for (const QPushButton* button : client.findChildren<QPushButton*>()) {
        const QRect place = button->geometry();
        looks << QStringLiteral("%1 @%2,%3 %4x%5 %6 %7pt%8")
                     .arg(button->text())
                     .arg(place.x())
                     .arg(place.y())
                     .arg(place.width())
                     .arg(place.height())
                     .arg(button->font().family())
                     .arg(button->font().pointSizeF())
                     .arg(button->font().bold() ? " bold" : "");
    }
    for (const QAction* title : window.menuBar()->actions()) {
        looks << title->text();
        for (const QAction* item : title->menu()->actions()) {
            looks << QStringLiteral("  ") + item->text() + (item->isCheckable() ? "[ ]" : "");
        }
    }
    return looks;
}

// The bare window is a fair yardstick only while it stays the main window's twin
// in size, buttons and menu; a change to either must be made to both.
bool BareWindowIsTheMainWindowsTwin() {
    LoadedProgram program;
    MainForm main(program.actions, program.messages, ChildWindows{});
    bench::BareWindow bare;
    main.show();
    bare.show();
    const QStringList mainLooks = Looks(main);
    const QStringList bareLooks = Looks(bare);
    if (mainLooks == bareLooks) {
        return true;
    }
    std::cerr << "The bare window is no longer the main window's twin.\nMain window: "
              << mainLooks.join(" | ").toStdString()
              << "\nBare window: " << bareLooks.join(" | ").toStdString() << '\n';
    return false;
}

// The offscreen platform warns on every fixed-size window that it can't pass
// size hints to a window manager it doesn't have; thousands of those would bury
// the results. Every other message still gets through.
QtMessageHandler qtDefaultHandler = nullptr;
void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints"))) {
        qtDefaultHandler(type, context, message);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qtDefaultHandler = qInstallMessageHandler(DropSizeHintWarnings);
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || !BareWindowIsTheMainWindowsTwin()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

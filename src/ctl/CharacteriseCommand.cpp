#include "CharacteriseCommand.h"

#include "characterise/LinearityReport.h"
#include "characterise/RunStanding.h"
#include "characterise/qt/CharacterisePlotFile.h"
#include "files/WholeFile.h"
#include "rig/MeterConnection.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>
#include <stop_token>
#include <thread>

namespace qv4130::ctl {

namespace {

using namespace characterise;
using Clock = std::chrono::steady_clock;

// Set by Ctrl-C, SIGTERM or SIGHUP (a closed terminal); a watcher passes it on
// to the run, which a signal handler itself may not touch.
std::atomic<bool> interrupted{false};

extern "C" void NoteInterrupt(int) {
    interrupted = true;
}

// While it lives, Ctrl-C, SIGTERM and SIGHUP stop the run instead of the
// process: within a few milliseconds between codes, during a settle time or
// an average, and at worst once the reading in flight is back (the meter's
// time-out), so the channel is written its end code and the CSV is kept.
class InterruptStopsRun {
public:
    explicit InterruptStopsRun(std::stop_source& stop) {
        interrupted = false;
        for (std::size_t i = 0; i < Signals.size(); ++i) {
            previous_[i] = std::signal(Signals[i], NoteInterrupt);
        }
        watcher_ = std::jthread([&stop](const std::stop_token& done) {
            while (!done.stop_requested()) {
                if (interrupted) {
                    stop.request_stop();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~InterruptStopsRun() {
        for (std::size_t i = 0; i < Signals.size(); ++i) {
            std::signal(Signals[i], previous_[i]);
        }
    }
    InterruptStopsRun(const InterruptStopsRun&) = delete;
    InterruptStopsRun& operator=(const InterruptStopsRun&) = delete;

private:
#ifdef _WIN32
    // Windows has no hang-up signal; Ctrl+Break is its other key that stops a program.
    static constexpr std::array<int, 3> Signals{SIGINT, SIGTERM, SIGBREAK};
#else
    static constexpr std::array<int, 3> Signals{SIGINT, SIGTERM, SIGHUP};
#endif
    std::array<void (*)(int), 3> previous_{};
    std::jthread watcher_;
};

// "characterise:  45% 1843/4096 codes, 2345 codes/s, 1 s left", redrawn in place
// at most ten times a second.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}

    void Show(const RunProgress& progress) {
        if (!enabled_) {
            return;
        }
        const auto now = Clock::now();
        if (progress.done != progress.total && now - lastDrawn_ < std::chrono::milliseconds(100)) {
            return;
        }
        lastDrawn_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? progress.done / seconds : 0.0;
        const int left =
            rate > 0 ? static_cast<int>((progress.total - progress.done) / rate + 0.5) : 0;
        out_ << "\rcharacterise: " << (100 * progress.done / progress.total) << "% "
             << progress.done << '/' << progress.total << " codes, " << static_cast<long>(rate)
             << " codes/s, " << left << " s left  " << std::flush;
        drawn_ = true;
    }

    ~ProgressLine() {
        if (drawn_) {
            out_ << '\n';
        }
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

private:
    std::ostream& out_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDrawn_{};
};

// The one line a run that did not end well leaves: what went wrong first (the
// failure, the stop, or readings that did not follow the codes), what was kept,
// where the channel was left, and what to check when that is not the head.
std::string EndingText(const RunOutcome& outcome, const RunStanding& standing,
                       const CharacteriseOptions& options) {
    const bool ranOut = !outcome.complete || !outcome.endCodeWritten;
    std::string text = !outcome.failure.empty()      ? outcome.failure
                       : ranOut || !standing.suspect ? std::string("stopped")
                                                     : *standing.suspect;
    const std::size_t kept = outcome.points.size();
    text += "; " + std::to_string(kept) + (kept == 1 ? " code" : " codes") + " kept in " +
            options.csvPath;
    text += outcome.endCodeWritten
                ? "; channel " + std::to_string(options.run.channel) + " back at " +
                      std::to_string(outcome.endCode)
                : "; channel " + std::to_string(options.run.channel) + " could not be written back";
    if (ranOut && standing.suspect) {
        text += "; " + *standing.suspect;
    }
    return text;
}

} // namespace

bool ProgressOnTerminal(const std::ostream& out) {
    return &out == &std::cout && isatty(STDOUT_FILENO);
}

bool RunCharacteriseCommand(const CharacteriseOptions& options, ChannelOutput& output,
                            BoardSetup* board, double boardReferenceVolts, std::ostream& out,
                            const Report& failed, bool progressLine) {
    auto fail = [&](const std::string& reason) {
        out.flush();
        failed("characterise: " + reason);
        return false;
    };
    if (!options.meter && (board == nullptr || board->Analog() == nullptr)) {
        return fail("--meter ADDR is needed (the simulated meter is only on the virtual board)");
    }
    auto cannotWrite = [&](const std::string& path, std::error_code error) {
        return fail("can't write " + path + ": " + error.message());
    };
    // Opened before the meter is reached, so a path that cannot be written ends
    // the run before it starts; an existing CSV is replaced only by a whole one.
    files::WholeFile csv(options.csvPath);
    if (csv.Error()) {
        return cannotWrite(options.csvPath, csv.Error());
    }
    std::unique_ptr<Meter> meter;
    try {
        meter = ConnectMeter({.address = options.meter,
                              .settings = {.rangeVolts = options.rangeVolts,
                                           .nplc = options.nplc,
                                           .measureEachReading = options.measureEachReading,
                                           .timeout = options.timeout}},
                             options.run.channel, board ? board->Board() : nullptr,
                             board ? board->Analog() : nullptr);
    } catch (const MeterError& error) {
        return fail(error.what());
    }

    const RunRecord record = RecordOf(options.run, *meter, options.meter.value_or("simulated"));
    std::stop_source stop;
    const InterruptStopsRun interruptStopsRun(stop);
    RunOutcome outcome;
    {
        ProgressLine progress(out, progressLine);
        RunHooks hooks{.wait = {},
                       .progress = [&](const RunProgress& p) { progress.Show(p); },
                       .stop = stop.get_token()};
        outcome = RunCharacterisation(output, *meter, options.run, hooks);
    }
    // The CSV, the image and the figures all take the ideal from the result.
    const Linearity result =
        Analyse(outcome.points, IdealFor(boardReferenceVolts, options.idealVref));
    const RunStanding standing = JudgeRun(outcome, options.run, result);
    std::ostringstream rows;
    WriteCsv(rows, result, record, standing);
    if (!csv.Write(rows.str()) || !csv.Commit()) {
        return cannotWrite(options.csvPath, csv.Error());
    }
    if (options.pngPath && !SavePlotsPng(result, record, *options.pngPath)) {
        return fail("can't write " + *options.pngPath);
    }
    // Figures of readings that do not follow the codes would be read as the
    // channel's; the one line on the error stream says what to check instead.
    if (!standing.suspect) {
        out << SummaryText(result, options.run.channel, standing);
        out.flush();
    }
    if (!outcome.complete || !outcome.endCodeWritten || standing.suspect) {
        return fail(EndingText(outcome, standing, options));
    }
    return true;
}

} // namespace qv4130::ctl

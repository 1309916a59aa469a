#pragma once

#include "ChannelOutput.h"
#include "Linearity.h"
#include "Meter.h"
#include "qv4130/BoardVocabulary.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace qv4130::characterise {

struct RunSettings {
    int channel = 0;
    // From `from` towards `to` (either way) in steps of `step` codes; `to` itself
    // is always measured, so the end-point line spans the whole range.
    int from = 0;
    int to = FullScaleCode;
    int step = 1;
    // How long the output is left to settle after each word before it is read.
    std::chrono::microseconds settle{0};
    // Readings per code, averaged.
    int average = 1;
    // The code the channel is left at. None: the code it had before the run, or
    // `from` when nobody knows that (a real board this process has not written).
    std::optional<int> endCode{};
};

// The longest settle time and the most readings per code a run takes: a minute
// a code, or a thousand readings, is already a run of days over a whole channel.
inline constexpr std::chrono::milliseconds MaxSettle{60'000};
inline constexpr int MaxAverage = 1000;

// Why the settings cannot be run, worded for the operator; none when they can.
Result<> CheckSettings(const RunSettings& settings);

// The codes a run visits, in order.
std::vector<int> RunCodes(const RunSettings& settings);

struct RunProgress {
    int done = 0;  // codes measured so far
    int total = 0; // codes the run visits
    int code = 0;  // the code just measured
    double volts = 0.0;
};

struct RunHooks {
    // Waits out the settle time; a test passes one that only counts.
    std::function<void(std::chrono::microseconds)> wait{};
    // Told after each code. It runs on the run's thread: keep it short.
    std::function<void(const RunProgress&)> progress{};
    // Asked before each code; a stopped run keeps what it measured.
    std::stop_token stop{};
};

struct RunOutcome {
    std::vector<Point> points;
    bool complete = false;
    bool stopped = false;
    // Why the run ended early, when something failed; empty otherwise.
    std::string failure;
    int endCode = 0;
    // False when even the last word could not be sent (the chip powered down).
    bool endCodeWritten = false;
};

// A run taken one step at a time, so that its caller decides when to wait and
// may hand the thread back between codes (a window runs it on the GUI thread,
// which the board link belongs to). Each code is WriteNext, the settle time,
// then ReadWritten. The channel is written its end code by Finish, or when the
// run is dropped unfinished, so it never stays at a code nobody asked for.
class CharacterisationRun {
public:
    // The settings must have passed CheckSettings.
    CharacterisationRun(ChannelOutput& output, Meter& meter, const RunSettings& settings);
    ~CharacterisationRun();
    CharacterisationRun(const CharacterisationRun&) = delete;
    CharacterisationRun& operator=(const CharacterisationRun&) = delete;

    // Sends the next code's word; false, sending nothing, when no code is left
    // or the run has stopped or failed.
    bool WriteNext();
    // Reads the code just written and keeps it; a meter that fails ends the run.
    // The same as Keep(TakeReading()).
    void ReadWritten(const std::stop_token& stop = {});
    // The meter's reading of the code just written, or why there is none (no
    // failure either: stopped between the readings averaged). It touches nothing
    // but the meter, so a meter that may keep its caller waiting is read on a
    // thread of its own while the run's thread goes on.
    struct Reading {
        std::optional<double> volts;
        std::string failure;
    };
    Reading TakeReading(const std::stop_token& stop = {});
    // Keeps a reading of the code just written, on the run's thread.
    void Keep(const Reading& reading);
    // The operator's stop: no further code is written; what was measured stays.
    void Stop();
    // Writes the end code (once) and gives the whole outcome.
    const RunOutcome& Finish();

    bool Over() const;
    const RunSettings& Settings() const { return settings_; }
    bool MeterMayWait() const { return meter_.MayWait(); }
    RunProgress Progress() const;
    const RunOutcome& Outcome() const { return outcome_; }

private:
    ChannelOutput& output_;
    Meter& meter_;
    RunSettings settings_;
    std::vector<int> codes_;
    std::size_t next_ = 0; // index into codes_ of the code WriteNext sends
    bool finished_ = false;
    RunOutcome outcome_;
};

// Steps the channel through the settings' codes, one mode-0 word each through
// `output`, waits, reads `meter`. Whatever happens (a stop, a meter that
// fails), the channel is then written its end code, so it never stays at a code
// the operator did not ask for. The settings must have passed CheckSettings.
RunOutcome RunCharacterisation(ChannelOutput& output, Meter& meter, const RunSettings& settings,
                               const RunHooks& hooks = {});

} // namespace qv4130::characterise

#include "StopSignals.h"

#include <QMetaObject>

#include <csignal>
#include <mutex>

#include <windows.h>

namespace qv4130::scpi {

namespace {

// Windows tells a console program of Ctrl+C, Ctrl+Break, its console closing
// and the session ending through a handler that runs on a thread of its own;
// the handler hands the stop to the event loop of the object's thread.
std::mutex current_lock;
StopSignals* current = nullptr;

BOOL WINAPI TellEventLoop(DWORD event) {
    const std::lock_guard lock(current_lock);
    if (current == nullptr) {
        return FALSE; // the default handler ends the process
    }
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    StopSignals* stop = current;
    QMetaObject::invokeMethod(
        stop, [stop, signal] { emit stop->Stop(signal); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    const std::lock_guard lock(current_lock);
    current = this;
    SetConsoleCtrlHandler(TellEventLoop, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(TellEventLoop, FALSE);
    const std::lock_guard lock(current_lock);
    current = nullptr;
}

void StopSignals::Drain() {}

} // namespace qv4130::scpi

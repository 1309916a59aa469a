#pragma once

#include "qv4130/FileDescriptor.h"

#include <QObject>
#include <QSocketNotifier>

#include <optional>

namespace qv4130::scpi {

// SIGTERM and SIGINT as a Qt signal on the event loop of the thread that made
// this, so that a server stopped by its service manager or by Ctrl+C finishes
// its work (the trace's tail, its closing timestamp) and exits with success.
// The handler only writes the signal's number to a pipe: nothing else is safe
// inside a signal handler. One at a time per process; the default actions come
// back when it goes.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

signals:
    void Stop(int signal);

private:
    void Drain();

    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    std::optional<QSocketNotifier> notifier_;
};

} // namespace qv4130::scpi

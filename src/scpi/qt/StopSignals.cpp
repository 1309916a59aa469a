#include "StopSignals.h"

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace qv4130::scpi {

namespace {

constexpr int Handled[] = {SIGTERM, SIGINT};

volatile sig_atomic_t pipeWriteEnd = -1;

extern "C" void TellThroughPipe(int signal) {
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    // A full pipe already holds a stop: losing this one changes nothing.
    (void)!::write(pipeWriteEnd, &number, 1);
    errno = savedErrno;
}

void SetHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        return; // the signals keep their default actions: the process just ends
    }
    readEnd_ = FileDescriptor(ends[0]);
    writeEnd_ = FileDescriptor(ends[1]);
    notifier_.emplace(readEnd_.Get(), QSocketNotifier::Read);
    connect(&*notifier_, &QSocketNotifier::activated, this, &StopSignals::Drain);
    pipeWriteEnd = writeEnd_.Get();
    for (const int signal : Handled) {
        SetHandler(signal, TellThroughPipe);
    }
}

StopSignals::~StopSignals() {
    for (const int signal : Handled) {
        SetHandler(signal, SIG_DFL);
    }
    pipeWriteEnd = -1;
}

void StopSignals::Drain() {
    unsigned char numbers[16];
    const ssize_t got = ::read(readEnd_.Get(), numbers, sizeof numbers);
    if (got > 0) {
        emit Stop(numbers[got - 1]);
    }
}

} // namespace qv4130::scpi

#include "BrokenPipe.h"

#include <csignal>

namespace qv4130 {

void IgnoreBrokenPipe() {
#if defined(SIGPIPE) // Windows has no such signal: a write there just fails
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
#endif
}

} // namespace qv4130

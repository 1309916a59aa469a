#include "Messages.h"

#include <cstdio>
#include <mutex>

namespace parllio {
namespace {

struct MessageRoute {
    std::mutex lock; // the flush thread of a USB adapter tells its failures too
    ParallelPortMessageHandler handler = nullptr;
    void* context = nullptr;
};

MessageRoute& Route() {
    static MessageRoute route;
    return route;
}

} // namespace

void RouteMessages(ParallelPortMessageHandler handler, void* context) {
    const std::lock_guard guard(Route().lock);
    Route().handler = handler;
    Route().context = context;
}

void TellOperator(const std::string& line) {
    const std::lock_guard guard(Route().lock);
    if (Route().handler != nullptr) {
        Route().handler(line.c_str(), Route().context);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace parllio

// The library's C entry points: one set of ports per process, over the real
// kernel, released when the library is unloaded or the process ends.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

#include "LinuxKernel.h"
#include "ParallelPorts.h"

#include <mutex>

namespace {

struct Library {
    parllio::LinuxKernel kernel;
    parllio::ParallelPorts ports{kernel};
    std::mutex lock; // the program calls from one thread; other callers may not
};

// One instance for the whole library, made at the first call.
Library& TheLibrary() {
    static Library library;
    return library;
}

template <typename Action> auto WithPorts(Action action) {
    Library& library = TheLibrary();
    const std::lock_guard guard(library.lock);
    return action(library.ports);
}

} // namespace

extern "C" {

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    return WithPorts([](parllio::ParallelPorts& ports) { return ports.Count(); });
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t /*flags*/) {
    return WithPorts([port](parllio::ParallelPorts& ports) { return ports.Claim(port); });
}

PARLLIO_API int32_t PARLLIO_CALL ReleaseParallelPort(int32_t port) {
    return WithPorts([port](parllio::ParallelPorts& ports) { return ports.Release(port); });
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    return WithPorts(
        [port, info](parllio::ParallelPorts& ports) { return ports.Info(port, info); });
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    return WithPorts([address](parllio::ParallelPorts& ports) { return ports.In(address); });
}

PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    WithPorts([address, value](parllio::ParallelPorts& ports) { ports.Out(address, value); });
}

} // extern "C"

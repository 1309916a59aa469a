// The library's C entry points: one set of ports per process, over the real
// system and its adapters. On Linux they are released when the library is
// unloaded or the process ends, and an FTDI adapter's last bytes go out then
// (parllio.dll stays until the process ends: see WindowsLibrary.cpp). A
// process that ends with _Exit
// (the program's Quit) runs none of that: there the flush thread has sent
// them a fraction of a millisecond after the last write, long before an
// operator's click can end the program.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

#include "Library.h"
#include "Messages.h"
#include "ParallelPorts.h"
#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// The program calls from one thread; other callers may not.
std::mutex& CallLock() {
    static std::mutex lock;
    return lock;
}

// Runs `action` on the ports, one caller at a time. Nothing thrown inside (out
// of memory, say) may cross into a C caller: the call gives `failed` instead.
template <typename Action> std::int32_t WithPorts(std::int32_t failed, Action action) noexcept {
    try {
        parllio::ParallelPorts& ports = parllio::ThePorts();
        const std::lock_guard guard(CallLock());
        return action(ports);
    } catch (...) {
        return failed;
    }
}

constexpr std::int32_t Failed = 0;

} // namespace

extern "C" {

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    return WithPorts(Failed, [](parllio::ParallelPorts& ports) { return ports.Count(); });
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t /*flags*/) {
    return WithPorts(Failed, [port](parllio::ParallelPorts& ports) { return ports.Claim(port); });
}

PARLLIO_API int32_t PARLLIO_CALL ReleaseParallelPort(int32_t port) {
    return WithPorts(Failed, [port](parllio::ParallelPorts& ports) { return ports.Release(port); });
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    return WithPorts(
        Failed, [port, info](parllio::ParallelPorts& ports) { return ports.Info(port, info); });
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    return WithPorts(std::int32_t{qv4130::UndrivenBus},
                     [address](parllio::ParallelPorts& ports) { return ports.In(address); });
}

PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    WithPorts(Failed, [address, value](parllio::ParallelPorts& ports) {
        ports.Out(address, value);
        return 0;
    });
}

PARLLIO_API void PARLLIO_CALL SetParallelPortMessageHandler(ParallelPortMessageHandler handler,
                                                            void* context) {
    parllio::RouteMessages(handler, context);
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortError(char* buffer, int32_t size) {
    return WithPorts(Failed, [buffer, size](parllio::ParallelPorts& ports) {
        const std::string text = ports.LastError();
        if (buffer != nullptr && size > 0) {
            const std::size_t kept = std::min(text.size(), static_cast<std::size_t>(size) - 1);
            std::memcpy(buffer, text.data(), kept);
            buffer[kept] = '\0';
        }
        return static_cast<std::int32_t>(text.size());
    });
}

} // extern "C"

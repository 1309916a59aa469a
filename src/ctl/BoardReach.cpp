#include "BoardReach.h"

namespace qv4130::ctl {

std::int32_t BoardReach::ClaimParallelPort(std::int32_t port, std::int32_t flags) {
    const std::int32_t result = library_.ClaimParallelPort(port, flags);
    // Only the low word counts, as at start-up.
    claimed_ = (result & 0xFFFF) != 0;
    // What the library said while claiming is start-up's to tell, not a command's.
    accountedError_ = library_.LastError();
    return result;
}

std::int32_t BoardReach::InByte(std::int32_t address) {
    touched_ = touchedEver_ = true;
    return library_.InByte(address);
}

void BoardReach::OutByte(std::int32_t address, std::int32_t value) {
    touched_ = touchedEver_ = true;
    library_.OutByte(address, value);
}

std::int32_t BoardReach::ReleaseParallelPort(std::int32_t port) {
    // Sends nothing of its own: what it may fail to send is the last command's.
    return library_.ReleaseParallelPort(port);
}

Result<> BoardReach::Release(std::int32_t port) {
    ReleaseParallelPort(port);
    touched_ = touchedEver_;
    return Reached();
}

void BoardReach::Checkpoint() {
    touched_ = false;
}

Result<> BoardReach::Reached() {
    if (!touched_) {
        return {};
    }
    if (!claimed_) {
        return Failure{"the printer port is not claimed, so nothing reached the board"};
    }
    // The library keeps its last failure until the next one: a new text is a new
    // failure. An adapter's library sends from a thread of its own, so a failure
    // may come after the command that caused it was checked: it is told at the
    // next check, never dropped.
    std::optional<std::string> error = library_.LastError();
    if (error && !error->empty() && error != accountedError_) {
        accountedError_ = error;
        return Failure{"the board was not reached: " + *error};
    }
    return {};
}

} // namespace qv4130::ctl

#pragma once

#include "qv4130/Result.h"

#include "qv4130/FileDescriptor.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qv4130::ctl {

// Where `run` reads its script: standard input for "-", otherwise a regular
// file. A directory, a FIFO or a device is refused when it is opened: a FIFO
// without a writer would hang the run, and /dev/zero never ends.
class ScriptInput {
public:
    // The opened script, or the reason it can't be read ("Is a directory").
    static Result<ScriptInput> Open(const std::string& path);

    ScriptInput(ScriptInput&& other) noexcept = default;
    ScriptInput& operator=(ScriptInput&&) = delete;

    // The next bytes, up to a chunk, empty at the end; or why the read failed.
    Result<std::string_view> Read();

private:
    ScriptInput(int fd, bool owned) : fd_(fd), owned_(owned ? fd : -1) {}

    static constexpr std::size_t ChunkBytes = 64 * 1024;
    int fd_;
    // The script's file, closed with it; standard input is left open.
    FileDescriptor owned_;
    std::string buffer_;
};

} // namespace qv4130::ctl

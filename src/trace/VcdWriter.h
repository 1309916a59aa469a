#pragma once

#include "files/WholeFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

namespace qv4130 {

// Writes the board's five lines as a Value Change Dump that PulseView, sigrok-cli
// and GTKWave open: one 1-bit wire per line (DIN, SCLK, SYNC, PD, RESET), times in
// nanoseconds. Only the lines a write moves are written; the first write gives
// all five their initial levels and Finish adds the closing timestamp.
//
// The trace goes to a temporary file beside `path` and takes its name only when
// Finish completes it: an existing trace survives a run whose trace fails, and a
// device node or FIFO at `path` is written in place (see files::WholeFile).
class VcdWriter {
public:
    // Opens the way to the file at `path`; Error() says whether that worked.
    explicit VcdWriter(const std::string& path);
    ~VcdWriter();

    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    // The data register as a write at `ns` left it. A time that does not move on
    // from the last one is taken as 1 ns after it, so no change is lost.
    void Write(std::uint64_t ns, std::uint8_t dataRegister);
    // Hands everything written so far to the operating system.
    void Flush();
    // Writes the closing timestamp (never before the last change) and puts the
    // file in place; nothing is written after it. Without a single write no file
    // is put there: what was at `path` stays as it was.
    void Finish(std::uint64_t ns);

    // Empty while every write has worked; otherwise what went wrong, for the operator.
    const std::string& Error() const { return error_; }

private:
    void WriteHeader();
    void AppendTime(std::uint64_t ns);
    void AppendLines(std::uint8_t levels, std::uint8_t lines);
    void Spill();
    void Fail(std::error_code error);

    std::string path_;
    std::unique_ptr<files::WholeFile> file_;
    std::string buffer_;
    std::string error_;
    bool started_ = false;
    std::uint8_t levels_ = 0;
    std::uint64_t last_ = 0;
};

// What the operator is told when a trace file cannot be written.
std::string TraceFileError(const std::string& path, std::error_code error);

} // namespace qv4130

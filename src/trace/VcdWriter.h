#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace qv4130 {

// Writes the board's five lines as a Value Change Dump that PulseView, sigrok-cli
// and GTKWave open: one 1-bit wire per line (DIN, SCLK, SYNC, PD, RESET), times in
// nanoseconds. Only the lines a write moves are written; the first write gives
// all five their initial levels and Finish adds the closing timestamp.
class VcdWriter {
public:
    // Creates or empties the file at `path`; Error() says whether that worked.
    explicit VcdWriter(const std::string& path);
    ~VcdWriter();

    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    // The data register as a write at `ns` left it. A time that does not move on
    // from the last one is taken as 1 ns after it, so no change is lost.
    void Write(std::uint64_t ns, std::uint8_t dataRegister);
    // Hands everything written so far to the operating system.
    void Flush();
    // Writes the closing timestamp (never before the last change), flushes and
    // closes the file; nothing is written after it. Without a single write the
    // file is removed instead.
    void Finish(std::uint64_t ns);

    // Empty while every write has worked; otherwise what went wrong, for the operator.
    const std::string& Error() const { return error_; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void WriteHeader();
    void AppendTime(std::uint64_t ns);
    void AppendLines(std::uint8_t levels, std::uint8_t lines);
    void Spill();
    void Fail();

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string buffer_;
    std::string error_;
    bool started_ = false;
    std::uint8_t levels_ = 0;
    std::uint64_t last_ = 0;
};

// What the operator is told when a trace file cannot be written.
std::string TraceFileError(const std::string& path, int error);

} // namespace qv4130

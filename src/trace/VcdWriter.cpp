#include "VcdWriter.h"

#include "host/AppIdentity.h"
#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

namespace qv4130 {

namespace {

struct Wire {
    std::uint8_t line;
    const char* name;
    char id; // the VCD identifier code
};

// In the order of the data register's bits.
constexpr std::array<Wire, 5> Wires{{
    {line::Din, "DIN", 'd'},
    {line::Sclk, "SCLK", 'c'},
    {line::Sync, "SYNC", 's'},
    {line::PowerDown, "PD", 'p'},
    {line::Reset, "RESET", 'r'},
}};

// The buffer goes to the file in pieces of about this size.
constexpr std::size_t SpillBytes = 64 * 1024;

} // namespace

std::string TraceFileError(const std::string& path, std::error_code error) {
    return "Cannot write the trace file " + path + ": " + error.message() + ".";
}

VcdWriter::VcdWriter(const std::string& path)
    : path_(path), file_(std::make_unique<files::WholeFile>(path)) {
    if (file_->Error()) {
        Fail(file_->Error());
    }
    buffer_.reserve(SpillBytes + 256);
}

VcdWriter::~VcdWriter() = default;

void VcdWriter::WriteHeader() {
    buffer_ += std::string("$version\n\tqv4130 ") + identity::Version +
               "\n$end\n"
               "$comment\n\tEvery byte written to the data register of the printer port in use."
               "\n\tTimes are the monotonic clock's, in nanoseconds.\n$end\n"
               "$timescale 1 ns $end\n"
               "$scope module board $end\n";
    for (const Wire& wire : Wires) {
        buffer_ += std::string("$var wire 1 ") + wire.id + ' ' + wire.name + " $end\n";
    }
    buffer_ += "$upscope $end\n$enddefinitions $end\n";
}

void VcdWriter::AppendTime(std::uint64_t ns) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), ns).ptr;
    buffer_ += '#';
    buffer_.append(digits.data(), end);
    buffer_ += '\n';
}

void VcdWriter::AppendLines(std::uint8_t levels, std::uint8_t lines) {
    for (const Wire& wire : Wires) {
        if ((lines & wire.line) != 0) {
            buffer_ += (levels & wire.line) != 0 ? '1' : '0';
            buffer_ += wire.id;
            buffer_ += '\n';
        }
    }
}

void VcdWriter::Write(std::uint64_t ns, std::uint8_t dataRegister) {
    if (!file_) {
        return;
    }
    const auto levels = static_cast<std::uint8_t>(dataRegister & line::Wired);
    if (!started_) {
        WriteHeader();
        AppendTime(ns);
        buffer_ += "$dumpvars\n";
        AppendLines(levels, line::Wired);
        buffer_ += "$end\n";
        started_ = true;
        levels_ = levels;
        last_ = ns;
        return;
    }
    const auto moved = static_cast<std::uint8_t>(levels ^ levels_);
    if (moved == 0) {
        return;
    }
    std::uint64_t at = std::max(ns, last_ + 1);
    // The chip takes no clock edge from the write that moves SYNC: the frame
    // starts after it and ends before it. A decoder sees edges one sample at a
    // time, so such a write is drawn as two, 1 ns apart, with the clock's edge
    // outside the frame: SYNC falls after it and rises before it.
    std::uint8_t later = 0;
    if ((moved & line::Sync) != 0 && (moved & line::Sclk) != 0) {
        later = (levels & line::Sync) != 0 ? line::Sclk : line::Sync;
    }
    AppendTime(at);
    AppendLines(levels, static_cast<std::uint8_t>(moved & ~later));
    if (later != 0) {
        AppendTime(++at);
        AppendLines(levels, later);
    }
    levels_ = levels;
    last_ = at;
    if (buffer_.size() >= SpillBytes) {
        Spill();
    }
}

void VcdWriter::Spill() {
    if (file_ && !file_->Write(buffer_)) {
        Fail(file_->Error());
    }
    buffer_.clear();
}

void VcdWriter::Flush() {
    // Nothing is kept back between this buffer and the operating system.
    Spill();
}

void VcdWriter::Finish(std::uint64_t ns) {
    if (!file_) {
        return;
    }
    if (!started_) {
        // A run that never wrote to the port (none was found, or its claim was
        // refused) leaves no new file: a header alone would pass for a recording.
        // Dropping the writer removes its temporary file, never `path`.
        file_.reset();
        return;
    }
    AppendTime(std::max(ns, last_ + 1));
    Flush();
    if (file_ && !file_->Commit()) {
        Fail(file_->Error());
    }
    file_.reset();
}

void VcdWriter::Fail(std::error_code error) {
    if (error_.empty()) {
        error_ = TraceFileError(path_, error);
    }
    // Whatever the failure, nothing more goes to this file; the temporary file
    // goes with the writer, and `path` is left as it was.
    file_.reset();
    buffer_.clear();
}

} // namespace qv4130

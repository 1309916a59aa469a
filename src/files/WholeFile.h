#pragma once

#include "qv4130/FileDescriptor.h"

#include <string>
#include <string_view>
#include <system_error>

namespace qv4130::files {

// A file the operator named, written so that what was at the path is never lost.
//
// A regular file, or a path where nothing is yet, is written to a temporary file
// beside it, in the same folder, and renamed over it by Commit once it is whole
// and on the disk: a full disk, a failed run or a crash leave the old file as it
// was. Anything else that is there (a device node such as a serial port or
// /dev/null, a FIFO another program reads) is written in place, never created,
// emptied, replaced or removed; a folder or a socket is refused. A symbolic link
// is followed to its target, and the target is written by the same rules.
//
// Nothing but the temporary file it made itself is ever removed.
class WholeFile {
public:
    // Opens the way to `path` (a FIFO's waits for a reader); Error() says
    // whether that worked.
    explicit WholeFile(const std::string& path);
    // Without a Commit, removes the temporary file, if it made one.
    ~WholeFile();

    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Appends `bytes`; false once anything has failed.
    bool Write(std::string_view bytes);
    // Ends the file: a temporary file is flushed to the disk and renamed over
    // the path, a special file is closed. False, with the path untouched, when
    // anything failed; nothing is written after it.
    bool Commit();

    // Empty while everything has worked; otherwise why not.
    std::error_code Error() const { return error_; }

private:
    void Fail(std::error_code error);

    std::string target_;
    std::string temporary_; // empty when writing in place
    FileDescriptor fd_;
    std::error_code error_;
};

// `bytes` as the whole of the file at `path`, by the rules above; empty when it worked.
std::error_code SaveWhole(const std::string& path, std::string_view bytes);

// `path` with every symbolic link along its last component followed, so that the
// file written is the link's target and the link stays a link. A link that
// leads nowhere gives the path it names.
std::string FollowLinks(const std::string& path);

} // namespace qv4130::files

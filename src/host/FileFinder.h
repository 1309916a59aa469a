#pragma once

#include <string>

namespace qv4130 {

// Tests whether a path names an ordinary file.
class FileFinder {
public:
    virtual ~FileFinder() = default;

    // The name of the ordinary file at `path` (its last component, as the host
    // spells it), or the empty text when there is none. Folders, hidden files and
    // system files never match.
    virtual std::string FindOrdinaryFile(const std::string& path) = 0;
};

// The host's file system. On Windows the path may hold wildcards and the first
// matching file without the hidden, system or directory attribute is named. On
// other hosts the path is taken literally: it matches when it leads to a regular
// file (symbolic links followed) whose name does not start with '.', the
// convention for hidden files there; no file counts as a system file.
class HostFileFinder final : public FileFinder {
public:
    std::string FindOrdinaryFile(const std::string& path) override;
};

} // namespace qv4130

#include "WholeFile.h"

#include <filesystem>

namespace qv4130::files {

namespace fs = std::filesystem;

std::string FollowLinks(const std::string& path) {
    fs::path at(path);
    // As many links in a row as the Linux kernel follows before it calls it a loop.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) {
            break;
        }
        const fs::path next = fs::read_symlink(at, error);
        if (error) {
            break;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

std::error_code SaveWhole(const std::string& path, std::string_view bytes) {
    WholeFile file(path);
    if (file.Write(bytes)) {
        file.Commit();
    }
    return file.Error();
}

} // namespace qv4130::files

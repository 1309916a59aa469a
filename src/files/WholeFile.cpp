#include "WholeFile.h"

#include "TemporaryFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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

FileDescriptor MakeTemporary(const std::string& target, int processId, std::string& name,
                             const std::function<FileDescriptor(const std::string&)>& create) {
    static std::atomic<unsigned> made{0};
    const fs::path at(target);
    const auto salt = std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 takes a chain of + for an
        // overlapping copy (-Wrestrict) where there is none.
        std::string hidden(".");
        hidden.append(at.filename().string()).append(".tmp-");
        hidden.append(std::to_string(processId)).append("-").append(std::to_string(salt));
        hidden.append("-").append(std::to_string(made++));
        name = (at.parent_path() / hidden).string();
        FileDescriptor fd = create(name);
        if (fd.IsOpen() || errno != EEXIST) {
            return fd;
        }
    }
    return FileDescriptor();
}

WholeFile::~WholeFile() {
    fd_.Close();
    if (!temporary_.empty()) {
        RemoveOwn(temporary_);
    }
}

bool WholeFile::Commit() {
    if (error_ || !fd_.IsOpen()) {
        return false;
    }
    // A device or a FIFO has no disk to flush to.
    if (const std::error_code flushed = temporary_.empty() ? std::error_code() : FlushToDisk(fd_)) {
        Fail(flushed);
        return false;
    }
    if (fd_.Close() != 0) {
        Fail({errno, std::generic_category()});
        return false;
    }
    if (temporary_.empty()) {
        return true;
    }
    if (const std::error_code replaced = Replace(temporary_, target_)) {
        Fail(replaced);
        return false;
    }
    temporary_.clear();
    return true;
}

void WholeFile::Fail(std::error_code error) {
    if (!error_) {
        error_ = error;
    }
    fd_.Close();
    if (!temporary_.empty()) {
        RemoveOwn(temporary_);
        temporary_.clear();
    }
}

std::error_code SaveWhole(const std::string& path, std::string_view bytes) {
    WholeFile file(path);
    if (file.Write(bytes)) {
        file.Commit();
    }
    return file.Error();
}

} // namespace qv4130::files

#if !defined(_WIN32)

#include "FileFinder.h"

#include <sys/stat.h>

namespace qv4130 {

std::string HostFileFinder::FindOrdinaryFile(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    const std::string::size_type slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.front() == '.') {
        return {};
    }
    return name;
}

} // namespace qv4130

#endif

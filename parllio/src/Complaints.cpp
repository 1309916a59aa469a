#include "Complaints.h"

#include <cstring>

namespace parllio {

void Complaints::Tell(const std::string& message) {
    const std::lock_guard guard(lock_);
    last_ = message;
    if (told_.insert(message).second) {
        kernel_.Tell("parllio: " + message);
    }
}

std::string Complaints::Last() {
    const std::lock_guard guard(lock_);
    return last_;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace parllio

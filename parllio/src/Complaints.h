#pragma once

#include "Kernel.h"

#include <mutex>
#include <set>
#include <string>

namespace parllio {

// Messages for the operator on standard error, each told once: a failure that
// repeats on every byte written must not flood the terminal. A USB adapter's
// flush thread tells its failures too, so telling takes a lock.
class Complaints {
public:
    explicit Complaints(Kernel& kernel) : kernel_(kernel) {}

    void Tell(const std::string& message);
    // The last message, told or not: the reason a caller can show the operator.
    std::string Last();

private:
    Kernel& kernel_;
    std::mutex lock_;
    std::set<std::string> told_;
    std::string last_;
};

// The errno's text, as strerror gives it.
std::string ErrorText(int error);

} // namespace parllio

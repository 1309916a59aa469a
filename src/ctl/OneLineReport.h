#pragma once

#include "host/Report.h"

#include <string>
#include <vector>

namespace qv4130::ctl {

// What a script sees of qv4130ctl's troubles: one line. The port library's
// messages and start-up's boxes (which tell the same cause several times over,
// and ask for a restart a one-shot command has no use for) are held; a failure
// is said at once with the library's reason after it, and then nothing else.
// A run that ends without one says what was held, each cause once.
class OneLineReport {
public:
    explicit OneLineReport(Report say) : say_(std::move(say)) {}

    // Where the library's messages and start-up's boxes go: held until Finish,
    // said at once after it.
    Report Held();
    // Says the run's failure, with the first cause held, in one line.
    Report Failure();
    // Says a usage mistake the commands met as they ran (a value out of its
    // command's range) as it is: no cause the library told is its cause.
    Report Mistake();
    // At the end: after a failure nothing; otherwise, when `failed` (no port
    // was found), the last box held with its cause and `wayOut`; else every
    // cause held once.
    void Finish(bool failed, const std::string& wayOut = {});

private:
    void SayFailure(const std::string& text, const std::string& wayOut = {});

    Report say_;
    std::vector<std::string> held_;
    bool said_ = false;
    bool finished_ = false;
};

} // namespace qv4130::ctl

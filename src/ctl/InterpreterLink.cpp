#include "InterpreterLink.h"

#include "qv4130/BoardVocabulary.h"

namespace qv4130::ctl {

LineOutcome InterpreterLink::Exchange(std::string_view line) {
    LineOutcome outcome;
    reach_.Checkpoint();
    if (const auto error = interpreter_.ExecuteLine(line, outcome.replies)) {
        outcome.error = scpi::FormatError(error);
    } else if (const Result<> reached = reach_.Reached(); !reached) {
        outcome.failure = reached.Error();
    }
    return outcome;
}

Result<> InterpreterLink::LetGo() {
    return reach_.Release(BoardPortNumber);
}

} // namespace qv4130::ctl

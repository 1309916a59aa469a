#include "InterpreterLink.h"

#include "qv4130/BoardVocabulary.h"

namespace qv4130::ctl {

LineOutcome InterpreterLink::Exchange(std::string_view line) {
    LineOutcome outcome;
    reach_.Checkpoint();
    if (const auto error = interpreter_.ExecuteLine(line, outcome.replies)) {
        outcome.error = scpi::FormatError(error);
    } else if (auto lost = reach_.Lost()) {
        outcome.failure = std::move(lost);
    }
    return outcome;
}

std::optional<std::string> InterpreterLink::LetGo() {
    return reach_.Release(BoardPortNumber);
}

} // namespace qv4130::ctl

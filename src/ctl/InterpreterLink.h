#pragma once

#include "BoardLink.h"
#include "BoardReach.h"
#include "scpi/Interpreter.h"

namespace qv4130::ctl {

// This process's board through its SCPI interpreter, with an account of what
// reached the board kept line by line: a line whose words could not reach it
// (the claim refused, an adapter pulled out) fails, as a server that goes away
// fails it.
class InterpreterLink final : public BoardLink {
public:
    // `reach` stands in front of the port library the interpreter's board writes through.
    InterpreterLink(scpi::Interpreter& interpreter, BoardReach& reach)
        : interpreter_(interpreter), reach_(reach) {}

    const std::string& Name() const override { return name_; }
    LineOutcome Exchange(std::string_view line) override;
    bool Claimed() const override { return reach_.Claimed(); }
    Result<> LetGo() override;

private:
    scpi::Interpreter& interpreter_;
    BoardReach& reach_;
    std::string name_ = "this process's board";
};

} // namespace qv4130::ctl

#pragma once

#include "MeterTransport.h"
#include "virtualboard/SimulatedDmm.h"

#include <deque>
#include <string>

namespace qv4130::characterise {

// The simulated DMM in the same process: each message goes straight to it and
// its replies wait here to be received, so the run speaks SCPI to it exactly as
// to a meter on the network, without the network.
class InProcessTransport final : public MeterTransport {
public:
    explicit InProcessTransport(SimulatedDmm& dmm) : dmm_(dmm) {}

    void Send(std::string_view message) override {
        if (auto reply = dmm_.Handle(message)) {
            replies_.push_back(std::move(*reply));
        }
    }

    std::string Receive(std::chrono::milliseconds) override {
        if (replies_.empty()) {
            throw TransportError("no answer: the message was not a query the meter knows");
        }
        std::string reply = std::move(replies_.front());
        replies_.pop_front();
        return reply;
    }

private:
    SimulatedDmm& dmm_;
    std::deque<std::string> replies_;
};

} // namespace qv4130::characterise

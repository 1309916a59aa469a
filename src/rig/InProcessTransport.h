#pragma once

#include "characterise/MeterTransport.h"
#include "virtualboard/SimulatedMeterHandler.h"

#include <deque>
#include <string>

namespace qv4130::characterise {

// The simulated DMM in the same process: each message goes straight to its SCPI
// engine and the replies wait here to be received, so the run speaks SCPI to it
// exactly as to a meter on the network, without the network.
class InProcessTransport final : public MeterTransport {
public:
    explicit InProcessTransport(SimulatedMeterHandler& meter) : meter_(meter) {}

    void Send(std::string_view message) override {
        if (auto reply = meter_.Handle(message)) {
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
    SimulatedMeterHandler& meter_;
    std::deque<std::string> replies_;
};

} // namespace qv4130::characterise

#pragma once

#include "board/PortLibrary.h"

#include <benchmark/benchmark.h>

namespace qv4130::bench {

// An in-process port library that does nothing but keep the optimiser honest.
class NullPortLibrary final : public PortLibrary {
public:
    std::int32_t GetParallelPortCount() override { return 1; }
    std::int32_t ClaimParallelPort(std::int32_t, std::int32_t) override { return 1; }
    std::int32_t GetParallelPortInfo(std::int32_t, ParallelPortInfo*) override { return 1; }
    std::int32_t InByte(std::int32_t) override { return 0; }
    void OutByte(std::int32_t address, std::int32_t value) override {
        benchmark::DoNotOptimize(address);
        benchmark::DoNotOptimize(value);
    }
};

} // namespace qv4130::bench

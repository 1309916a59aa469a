#pragma once

// Sends 18-bit words through a port library in the timed loop and reports what one
// word costs beside the physical floor: about 1 us per write on a real printer
// port, 55 us per word.
#include "NullPortLibrary.h"
#include "board/CommsFunctions.h"
#include "board/PortLibrary.h"
#include "qv4130/BoardVocabulary.h"

#include <benchmark/benchmark.h>

namespace qv4130::bench {

inline constexpr double PhysicalFloorNsPerWord = 55'000.0;
inline constexpr int WritesPerWord = 3 * SerialWordBits + 1;

// Steps through all four modes and every channel.
inline std::int32_t NextWord(std::int32_t word) {
    return (word + 0x1F07F) & 0x3FFFF;
}

// Rate counters inverted give elapsed time per unit: seconds per write, and the
// word's time as a fraction of the physical floor.
inline void CountWords(benchmark::State& state) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["time_per_write"] = benchmark::Counter(
        iterations * WritesPerWord, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["floor_fraction"] =
        benchmark::Counter(iterations * PhysicalFloorNsPerWord * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

inline void SendWords(benchmark::State& state, PortLibrary& library) {
    std::int32_t word = 0;
    for (auto _ : state) {
        SendSerialWord(library, word, 888, SerialWordBits);
        word = NextWord(word);
    }
    CountWords(state);
}

} // namespace qv4130::bench

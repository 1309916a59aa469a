#pragma once

namespace qv4130::characterise {

// An axis a reader can read: its ends and its tick step are round numbers, so
// every label is one (0.5, 1, 1.5 rather than 0.63, -0.13).
struct NiceScale {
    double low = 0.0;
    double high = 1.0;
    double step = 1.0;
};

// Volts or LSB: steps of 1, 2, 2.5 or 5 x 10^n, about `ticks` of them across a
// span that holds [low, high] with a little room; a single value or an empty
// plot gets a span of one step around it.
NiceScale NiceValueScale(double low, double high, int ticks = 5);

// Codes: steps that are powers of two (0, 512, 1024 ... across the whole
// range), the ends on steps, and never past the codes the chip has.
NiceScale NiceCodeScale(int first, int last, int ticks = 8);

} // namespace qv4130::characterise

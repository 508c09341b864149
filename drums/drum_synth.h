#pragma once
// Fixed-point pieces for synthesising the demo drum sounds. Integer arithmetic only, so
// every build (native, 32- and 64-bit Windows) makes the same bytes. Levels are Q15
// (32768 is full scale); phases turn once per 2^32.

#include <cstdint>

namespace kavelo {

// The rate at which a sample's values come out: `values_per_byte` values every
// `cycles_per_byte` Z80 cycles.
struct sample_clock {
    int64_t cycles_per_byte = 0;
    int64_t values_per_byte = 1;

    // Phase advance per value for a frequency in tenths of a hertz.
    uint32_t phase_step(int64_t decihertz) const;
    // Values in a span of time.
    int64_t values_in(int64_t microseconds) const;
};

int32_t fixed_sine(uint32_t phase);

// (1 - t / length)^power: falls from full scale at t = 0 to 0 at t = length and stays 0.
int32_t fall(int64_t t, int64_t length, int32_t power);

// White noise, the same sequence for the same seed.
class noise_source {
  public:
    explicit noise_source(uint32_t seed) : state_(seed) {}
    int32_t next();

  private:
    uint32_t state_;
};

// A Q15 level times `peak` (DAC steps at full scale) around the DAC's centre, clamped.
uint8_t to_dac(int64_t level, int32_t peak);

} // namespace kavelo

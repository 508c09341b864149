#include "drums/dpcm.h"

#include <limits>

namespace kavelo {

namespace {

// The next value when it follows the step without wrapping past 0 or 255, else -1. The
// step of 128 moves to the other half either way, so it never wraps.
int32_t unwrapped_step(int32_t accumulator, uint8_t nibble) {
    if (nibble == 8) {
        return accumulator ^ 0x80;
    }
    const int32_t next = accumulator + static_cast<int8_t>(dpcm_deltas[nibble]);
    return next < 0 || next > 255 ? -1 : next;
}

} // namespace

std::vector<uint8_t> dpcm_decode(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> values;
    values.reserve(bytes.size() * 2);
    uint8_t accumulator = dac_centre;
    for (const uint8_t byte : bytes) {
        accumulator = dpcm_step(accumulator, static_cast<uint8_t>(byte >> 4));
        values.push_back(accumulator);
        accumulator = dpcm_step(accumulator, byte);
        values.push_back(accumulator);
    }
    return values;
}

std::vector<uint8_t> dpcm_encode(std::span<const uint8_t> values) {
    std::vector<uint8_t> bytes;
    bytes.reserve((values.size() + 1) / 2);
    int32_t accumulator = dac_centre;
    for (std::size_t i = 0; i < values.size(); i += 2) {
        const int32_t first = values[i];
        const int32_t second = i + 1 < values.size() ? values[i + 1] : first;
        int32_t best_error = std::numeric_limits<int32_t>::max();
        uint8_t best_byte = 0;
        int32_t best_end = accumulator;
        for (uint8_t high = 0; high < 16; ++high) {
            const int32_t a = unwrapped_step(accumulator, high);
            if (a < 0) {
                continue;
            }
            for (uint8_t low = 0; low < 16; ++low) {
                const int32_t b = unwrapped_step(a, low);
                if (b < 0) {
                    continue;
                }
                const int32_t error = (a - first) * (a - first) + (b - second) * (b - second);
                if (error < best_error) {
                    best_error = error;
                    best_byte = static_cast<uint8_t>(high << 4 | low);
                    best_end = b;
                }
            }
        }
        bytes.push_back(best_byte);
        accumulator = best_end;
    }
    return bytes;
}

} // namespace kavelo

#pragma once
// One write the sound driver makes: a YM2612 register of part I or II, a byte to the PSG
// port, a sample number handed to the DAC program, or the timpani pitch it is told
// before a timpani sample (not a port write: the log leaves it out).

#include <cstdint>
#include <string>

namespace kavelo {

enum class write_target : uint8_t { ym0, ym1, psg, drum, timpani_pitch };

struct driver_write {
    write_target target = write_target::ym0;
    uint8_t reg = 0; // YM2612 register; unused for the other targets
    uint8_t value = 0;

    bool operator==(const driver_write&) const = default;
};

// "F ym0 RR VV", "F ym1 RR VV", "F psg VV" or "F drum NN" (hex in lower case); empty for a
// write the log leaves out.
std::string format_driver_write(int64_t frame, const driver_write& write);

} // namespace kavelo

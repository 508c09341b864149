#pragma once
// One write the sound driver makes: a YM2612 register of part I or II, a byte to the PSG
// port, a sample number handed to the DAC program; and two events that are not port
// writes, which the log leaves out: the timpani pitch the DAC program is told before a
// timpani sample, and a channel loading a voice (reg: the music channel, value: the voice).

#include <cstdint>
#include <string>

namespace kavelo {

enum class write_target : uint8_t { ym0, ym1, psg, drum, timpani_pitch, voice_load };

struct driver_write {
    write_target target = write_target::ym0;
    uint8_t reg = 0; // YM2612 register; unused for the other targets
    uint8_t value = 0;

    bool operator==(const driver_write&) const = default;
};

// Appends "F ym0 RR VV", "F ym1 RR VV", "F psg VV" or "F drum NN" (hex in lower case) and
// a newline to `text`; false (nothing appended) for a write the log leaves out.
bool append_driver_write(std::string& text, int64_t frame, const driver_write& write);

} // namespace kavelo

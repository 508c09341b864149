#include "drums/drum_player.h"

#include "drums/dpcm.h"

#include <algorithm>

namespace kavelo {

namespace {

// Time units: one Z80 cycle is drum_output_rate units and one output frame z80_clock
// units, so both are whole numbers.
constexpr int64_t cycle_units = drum_output_rate;
constexpr int64_t frame_units = z80_clock;

constexpr std::size_t silent_first = 3; // 0x84-0x86: past the three-entry table
constexpr std::size_t long_first = 6;   // 0x87 and up

int64_t loop_count(uint8_t pitch) {
    return pitch == 0 ? 256 : pitch;
}

} // namespace

int64_t dpcm_byte_cycles(uint8_t pitch) {
    return 301 + 26 * (loop_count(pitch) - 1);
}

// The loop's halves are 124 + 13(p - 1) and 177 + 13(p - 1) cycles. A byte's first value
// is taken to be out for the shorter one: the longer half is the one that also fetches
// the next byte, counts the length down and looks at the mailbox before the next byte's
// first value is written.
int64_t dpcm_first_half_cycles(uint8_t pitch) {
    return 124 + 13 * (loop_count(pitch) - 1);
}

int64_t long_pcm_byte_cycles() {
    return 90 + 13 * (loop_count(long_pcm_pitch) - 1);
}

drum_player::drum_player(drum_kit kit) : kit_(std::move(kit)), timpani_pitch_(kit_.pitch[2]) {}

void drum_player::set_timpani_pitch(uint8_t pitch) {
    timpani_pitch_ = pitch;
}

void drum_player::trigger(uint8_t handed_over) {
    if (handed_over > 0x80) {
        pending_ = handed_over;
    }
}

bool drum_player::take_dac_enabled() {
    const bool enabled = dac_enabled_;
    dac_enabled_ = false;
    return enabled;
}

void drum_player::start(uint8_t handed_over) {
    pending_ = 0;
    const std::size_t index = handed_over - 0x81u;
    position_ = 0;
    second_value_ = false;
    if (index >= long_first) {
        source_ = source::long_pcm;
        if (kit_.long_pcm.empty()) {
            source_ = source::none;
            return;
        }
        dac_ = kit_.long_pcm.front();
        remaining_ = long_pcm_byte_cycles() * cycle_units;
        return;
    }
    dac_enabled_ = true;
    if (index >= silent_first || kit_.dpcm[index].empty()) {
        source_ = source::none;
        return;
    }
    source_ = source::dpcm;
    dpcm_index_ = index;
    pitch_ = index == 2 ? timpani_pitch_ : kit_.pitch[index];
    dac_ = dpcm_step(dac_centre, static_cast<uint8_t>(kit_.dpcm[index].front() >> 4));
    remaining_ = dpcm_first_half_cycles(pitch_) * cycle_units;
}

// The DAC value that is out has run its time: the next one, or the end of the sample.
void drum_player::next_value() {
    if (source_ == source::dpcm && !second_value_) {
        second_value_ = true;
        dac_ = dpcm_step(dac_, sample()[position_]);
        remaining_ = (dpcm_byte_cycles(pitch_) - dpcm_first_half_cycles(pitch_)) * cycle_units;
        return;
    }
    second_value_ = false;
    if (++position_ == sample().size()) {
        const bool was_long = source_ == source::long_pcm;
        source_ = source::none;
        if (was_long && pending_ != 0) {
            start(pending_);
        }
        return;
    }
    if (source_ == source::dpcm) {
        dac_ = dpcm_step(dac_, static_cast<uint8_t>(sample()[position_] >> 4));
        remaining_ = dpcm_first_half_cycles(pitch_) * cycle_units;
    } else {
        dac_ = sample()[position_];
        remaining_ = long_pcm_byte_cycles() * cycle_units;
    }
}

void drum_player::render(std::span<int16_t> mono) {
    if (pending_ != 0 && source_ != source::long_pcm) {
        start(pending_);
    }
    for (int16_t& out : mono) {
        int64_t sum = 0; // DAC value x time units
        int64_t left = frame_units;
        while (left > 0) {
            if (source_ == source::none) {
                sum += dac_ * left;
                break;
            }
            const int64_t step = std::min(remaining_, left);
            sum += dac_ * step;
            left -= step;
            remaining_ -= step;
            if (remaining_ == 0) {
                next_value();
            }
        }
        out = static_cast<int16_t>((sum * 256 + frame_units / 2) / frame_units - 32768);
    }
}

} // namespace kavelo

#include "track/vgm_drums.h"

#include "drums/dpcm.h"
#include "drums/drum_player.h"

namespace kavelo {

namespace {

constexpr int64_t cycle_units = drum_output_rate;
constexpr int64_t frame_units = z80_clock;
constexpr std::size_t long_index = 3;
constexpr uint8_t dac_data_register = 0x2A;
constexpr uint8_t dac_enable_register = 0x2B;
constexpr uint8_t dac_on = 0x80;

uint32_t rounded_rate(int64_t values, int64_t cycles) {
    return static_cast<uint32_t>((values * z80_clock + cycles / 2) / cycles);
}

} // namespace

uint32_t dpcm_stream_frequency(uint8_t pitch) {
    return rounded_rate(2, dpcm_byte_cycles(pitch));
}

uint32_t long_pcm_stream_frequency() {
    return rounded_rate(1, long_pcm_byte_cycles());
}

vgm_drums::vgm_drums(const drum_kit& kit) : pitch_(kit.pitch), timpani_pitch_(kit.pitch[2]) {
    const auto place = [this](std::span<const uint8_t> values, std::size_t index) {
        samples_[index] = {static_cast<uint32_t>(block_.size()),
                           static_cast<uint32_t>(values.size())};
        block_.insert(block_.end(), values.begin(), values.end());
    };
    for (std::size_t i = 0; i < dpcm_sample_count; ++i) {
        place(dpcm_decode(kit.dpcm[i]), i);
    }
    place(kit.long_pcm, long_index);
}

void vgm_drums::start_log(vgm_log_writer& log) const {
    log.data_block(vgm_ym2612_pcm, block_);
    log.stream_setup(vgm_drum_stream, vgm_chip_ym2612, 0, dac_data_register);
    log.stream_data(vgm_drum_stream, vgm_ym2612_pcm, 1, 0);
    log.ym2612(0, dac_data_register, dac_centre);
    log.ym2612(0, dac_enable_register, dac_on);
}

void vgm_drums::trigger(uint8_t handed_over) {
    if (handed_over > 0x80) {
        pending_ = handed_over;
    }
}

void vgm_drums::set_frequency(uint32_t hertz, vgm_log_writer& log) {
    if (hertz != frequency_) {
        frequency_ = hertz;
        log.stream_frequency(vgm_drum_stream, hertz);
    }
}

void vgm_drums::start(uint8_t handed_over, int64_t at, vgm_log_writer& log) {
    pending_ = 0;
    const std::size_t index = handed_over - 0x81u;
    if (index >= 6) {
        const placed& sample = samples_[long_index];
        set_frequency(long_pcm_stream_frequency(), log);
        log.stream_start(vgm_drum_stream, sample.offset, sample.length);
        long_playing_ = true;
        long_end_ = at + int64_t{sample.length} * long_pcm_byte_cycles() * cycle_units;
        return;
    }
    log.ym2612(0, dac_enable_register, dac_on);
    if (index >= dpcm_sample_count) {
        log.stream_stop(vgm_drum_stream);
        return;
    }
    set_frequency(dpcm_stream_frequency(index == 2 ? timpani_pitch_ : pitch_[index]), log);
    log.stream_start(vgm_drum_stream, samples_[index].offset, samples_[index].length);
}

uint64_t vgm_drums::long_end_frame() const {
    return static_cast<uint64_t>((long_end_ + frame_units - 1) / frame_units);
}

void vgm_drums::start_handed_over(vgm_log_writer& log) {
    if (pending_ != 0 && !long_playing_) {
        start(pending_, static_cast<int64_t>(log.now()) * frame_units, log);
    }
}

void vgm_drums::pass_to(uint64_t sample, vgm_log_writer& log) {
    while (long_playing_ && long_end_frame() <= sample) {
        log.wait_until(long_end_frame());
        long_playing_ = false;
        if (pending_ != 0) {
            start(pending_, long_end_, log);
        }
    }
}

} // namespace kavelo

#include "track/track_player.h"

#include "fm/fm.h"
#include "fm/widened_samples.h"

#include <algorithm>
#include <utility>

namespace kavelo {

namespace {

constexpr uint8_t dac_enable_register = 0x2B;
constexpr uint8_t dac_pan_register = 0xB6; // part II: channel 6
// The DAC's swing against the FM core's 16-bit widened output: the core adds a DAC byte
// as (value - 128) x 2^19 before its shift of 21, a quarter of the drums' (value - 128) x 2^8.
constexpr int32_t dac_level_shift = 2;

} // namespace

track_player::track_player(track_source source) : driver_(std::move(source)) {
    fm_init(fm_, 1, console_fm_clock, static_cast<int32_t>(track_output_rate), nullptr, nullptr);
    // The DAC program has the DAC on before any track starts.
    fm_write(fm_, 0, 0, dac_enable_register);
    fm_write(fm_, 0, 1, 0x80);
    if (!driver_.valid()) {
        return;
    }
    drum_kit kit;
    if (const op_result found = track_drum_kit(driver_.source(), kit); found.done()) {
        drums_.emplace(std::move(kit));
    } else {
        messages_.push_back(found.problem);
    }
}

track_player::~track_player() {
    fm_shutdown(fm_);
}

std::vector<std::string> track_player::take_messages() {
    std::vector<std::string> messages = std::exchange(messages_, {});
    for (std::string& message : driver_.take_messages()) {
        messages.push_back(std::move(message));
    }
    return messages;
}

void track_player::apply(const driver_write& write) {
    switch (write.target) {
    case write_target::ym0:
        if (write.reg == dac_enable_register) {
            dac_on_ = (write.value & 0x80) != 0;
        }
        fm_write(fm_, 0, 0, write.reg);
        fm_write(fm_, 0, 1, write.value);
        break;
    case write_target::ym1:
        if (write.reg == dac_pan_register) {
            dac_pan_ = write.value;
        }
        fm_write(fm_, 0, 2, write.reg);
        fm_write(fm_, 0, 3, write.value);
        break;
    case write_target::psg:
        psg_.write(write.value);
        break;
    case write_target::drum:
        if (drums_) {
            drums_->trigger(write.value);
        }
        break;
    case write_target::timpani_pitch:
        if (drums_) {
            drums_->set_timpani_pitch(write.value);
        }
        break;
    case write_target::voice_load:
        break;
    }
}

void track_player::run_driver_frame() {
    if (stopped_) {
        return;
    }
    writes_.clear();
    driver_.run_frame(writes_);
    for (const driver_write& write : writes_) {
        apply(write);
    }
}

void track_player::stop_music() {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    for (const driver_write& write : music_stop_writes) {
        apply(write);
    }
}

bool track_player::replace_voice(int32_t number, const voice_record& stored) {
    writes_.clear();
    if (!driver_.replace_voice(number, stored, writes_)) {
        return false;
    }
    for (const driver_write& write : writes_) {
        apply(write);
    }
    return true;
}

void track_player::render_piece(int16_t* out, uint32_t frames) {
    fm_left_.resize(frames);
    fm_right_.resize(frames);
    psg_out_.resize(frames);
    drum_out_.assign(frames, 0);
    if (drums_) {
        drums_->render(drum_out_);
        // A drum sample that starts takes channel 6's output for the DAC.
        if (drums_->take_dac_enabled() && !dac_on_) {
            apply({write_target::ym0, dac_enable_register, 0x80});
        }
    }
    fm_update(fm_, 0, fm_left_, fm_right_, static_cast<int32_t>(frames));
    psg_.render(psg_out_);
    const bool dac_left = dac_on_ && (dac_pan_ & 0x80) != 0;
    const bool dac_right = dac_on_ && (dac_pan_ & 0x40) != 0;
    for (uint32_t i = 0; i < frames; ++i) {
        const int32_t shared = psg_out_[i] >> psg_mix_shift;
        const int32_t dac = drum_out_[i] >> dac_level_shift;
        const int32_t left = widened(fm_left_[i]) + shared + (dac_left ? dac : 0);
        const int32_t right = widened(fm_right_[i]) + shared + (dac_right ? dac : 0);
        out[2 * i] = static_cast<int16_t>(std::clamp(left, -32768, 32767));
        out[2 * i + 1] = static_cast<int16_t>(std::clamp(right, -32768, 32767));
    }
}

void track_player::render(std::span<int16_t> out, uint32_t frames) {
    frames = std::min<uint32_t>(frames, static_cast<uint32_t>(out.size() / 2));
    uint32_t done = 0;
    while (done < frames) {
        if (left_in_frame_ == 0) {
            run_driver_frame();
            left_in_frame_ = frames_per_driver_frame;
        }
        const uint32_t n = std::min(left_in_frame_, frames - done);
        render_piece(out.data() + 2 * std::size_t{done}, n);
        left_in_frame_ -= n;
        done += n;
    }
}

namespace {

// The render of a whole track into one buffer.
class sample_output final : public track_output {
  public:
    explicit sample_output(track_player& player) : player_(player) {}

    const track_interpreter& driver() const override { return player_.driver(); }
    void advance(uint32_t frames) override {
        const std::size_t at = samples_.size();
        samples_.resize(at + 2 * std::size_t{frames});
        player_.render(std::span(samples_).subspan(at), frames);
    }
    bool music_stopped() const override { return player_.music_stopped(); }
    void stop_music() override { player_.stop_music(); }

    std::vector<int16_t> take_samples() { return std::move(samples_); }

  private:
    track_player& player_;
    std::vector<int16_t> samples_;
};

} // namespace

std::vector<int16_t> render_track(track_player& player, const play_limit& limit) {
    if (!player.valid()) {
        return {};
    }
    sample_output output(player);
    play_to_limit(output, limit);
    return output.take_samples();
}

} // namespace kavelo

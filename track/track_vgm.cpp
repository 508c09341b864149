#include "track/track_vgm.h"

#include "track/vgm_drums.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace kavelo {

namespace {

// Plays the driver as the track player does, logging instead of sounding.
class vgm_recorder final : public track_output {
  public:
    explicit vgm_recorder(track_source source) : driver_(std::move(source)) {
        if (!driver_.valid()) {
            return;
        }
        drum_kit kit;
        if (const op_result found = track_drum_kit(driver_.source(), kit); found.done()) {
            drums_.emplace(kit);
            drums_->start_log(log_);
        } else {
            messages_.push_back(found.problem);
        }
    }

    const track_interpreter& driver() const override { return driver_; }

    void advance(uint32_t frames) override {
        while (frames > 0) {
            if (left_in_frame_ == 0) {
                run_driver_frame();
                left_in_frame_ = frames_per_driver_frame;
            }
            const uint32_t n = std::min(left_in_frame_, frames);
            now_ += n;
            if (drums_) {
                drums_->pass_to(now_, log_);
            }
            log_.wait_until(now_);
            left_in_frame_ -= n;
            frames -= n;
        }
    }

    bool music_stopped() const override { return stopped_ || !driver_.playing(); }

    void stop_music() override {
        if (stopped_) {
            return;
        }
        stopped_ = true;
        for (const driver_write& write : music_stop_writes) {
            record(write);
        }
    }

    std::vector<std::string> take_messages() {
        std::vector<std::string> messages = std::exchange(messages_, {});
        for (std::string& message : driver_.take_messages()) {
            messages.push_back(std::move(message));
        }
        return messages;
    }

    std::vector<uint8_t> finish(const vgm_tags& tags) {
        return log_.finish(console_fm_clock, tags);
    }

  private:
    void run_driver_frame() {
        if (stopped_) {
            return;
        }
        writes_.clear();
        driver_.run_frame(writes_);
        for (const driver_write& write : writes_) {
            record(write);
        }
        if (drums_) {
            drums_->start_handed_over(log_);
        }
    }

    void record(const driver_write& write) {
        switch (write.target) {
        case write_target::ym0:
        case write_target::ym1:
            log_.ym2612(write.target == write_target::ym0 ? 0 : 1, write.reg, write.value);
            break;
        case write_target::psg:
            log_.psg(write.value);
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

    track_interpreter driver_;
    std::optional<vgm_drums> drums_;
    vgm_log_writer log_;
    std::vector<driver_write> writes_;
    std::vector<std::string> messages_;
    uint64_t now_ = 0;
    uint32_t left_in_frame_ = 0;
    bool stopped_ = false;
};

} // namespace

track_vgm make_track_vgm(track_source source, const play_limit& limit, const vgm_tags& tags) {
    vgm_recorder recorder(std::move(source));
    if (!recorder.driver().valid()) {
        return only_outcome<track_vgm>(refused(recorder.driver().problem()));
    }
    track_vgm vgm;
    vgm.frames = play_to_limit(recorder, limit);
    vgm.messages = recorder.take_messages();
    vgm.bytes = recorder.finish(tags);
    return vgm;
}

} // namespace kavelo

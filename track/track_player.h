#pragma once
// A track played as the console sounds it: each 60 Hz driver frame's writes applied at its
// start, then 735 frames of 44100 Hz sound from the FM core, the PSG and the DAC program's
// drums. In a ROM image the drums are its own samples; a bare track holds none, so its drum
// channel is silent (and one message says so).

#include "drums/drum_player.h"
#include "fm/fm_types.h"
#include "psg/sn76489.h"
#include "track/track_interpreter.h"
#include "track/track_output.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

class track_player {
  public:
    explicit track_player(track_source source);
    ~track_player();
    track_player(const track_player&) = delete;
    track_player& operator=(const track_player&) = delete;

    bool valid() const { return driver_.valid(); }
    const std::string& problem() const { return driver_.problem(); }

    // Renders `frames` frames of signed 16-bit stereo (left, right) into `out`, which holds
    // 2 x frames; runs the driver as the sound reaches each of its frames.
    void render(std::span<int16_t> out, uint32_t frames);

    // Makes the music_stop_writes and stops the driver, so what follows is the release.
    void stop_music();
    bool music_stopped() const { return stopped_ || !driver_.playing(); }

    const track_interpreter& driver() const { return driver_; }
    // A voice edit heard at once on the channels using the voice (stored, ROM order).
    bool replace_voice(int32_t number, const voice_record& stored);

    // Messages of the driver and the drums since the last call.
    std::vector<std::string> take_messages();

  private:
    void run_driver_frame();
    void apply(const driver_write& write);
    void render_piece(int16_t* out, uint32_t frames);

    track_interpreter driver_;
    fm_core fm_;
    sn76489 psg_;
    std::optional<drum_player> drums_;
    std::vector<std::string> messages_;
    std::vector<driver_write> writes_;
    std::vector<int8_t> fm_left_;
    std::vector<int8_t> fm_right_;
    std::vector<int16_t> psg_out_;
    std::vector<int16_t> drum_out_;
    uint32_t left_in_frame_ = 0; // output frames before the next driver frame
    bool stopped_ = false;
    bool dac_on_ = true;     // register 2B: the DAC, not FM channel 6, is heard
    uint8_t dac_pan_ = 0xC0; // register B6 of part II: channel 6's outputs
};

// Renders a whole track to the limit (play_to_limit); empty when it is not valid.
std::vector<int16_t> render_track(track_player& player, const play_limit& limit);

} // namespace kavelo

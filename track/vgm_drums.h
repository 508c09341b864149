#pragma once
// The DAC program's drums in a VGM log: the kit's samples decoded to DAC values in one
// YM2612 data block (kick, snare, timpani, then the long sample), and one DAC stream that
// sends them to register 0x2A at their nominal rates, by the program's rules:
//   0x81-0x83 a DPCM sample (the timpani at the current timpani pitch) starts in the driver
//       frame it was handed over in, interrupting a DPCM sample; each start writes 2B 80,
//       as the program enables the DAC itself
//   0x84-0x86 no valid sample: the stream stops and the DAC stays where it is (2B 80 too)
//   0x87-0xFF the long sample, which plays to its end; the last trigger handed over
//       meanwhile starts then
// Rates are whole hertz (a stream frequency is): 2 x 3579545 / (301 + 26 (p - 1)) DAC
// values a second at DPCM loop count p, 3579545 / (90 + 13 x 10) for the long sample.

#include "drums/drum_kit.h"
#include "vgm/vgm_log_writer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kavelo {

inline constexpr uint8_t vgm_drum_stream = 0;

// DAC values a second, rounded to whole hertz.
uint32_t dpcm_stream_frequency(uint8_t pitch);
uint32_t long_pcm_stream_frequency();

class vgm_drums {
  public:
    explicit vgm_drums(const drum_kit& kit);

    // The data block, the stream's set-up, and the DAC on at its centre value.
    void start_log(vgm_log_writer& log) const;

    void set_timpani_pitch(uint8_t pitch) { timpani_pitch_ = pitch; }
    // Hands over a byte (below 0x81: no request), as the driver does in a frame.
    void trigger(uint8_t handed_over);
    // Starts what this frame handed over, at the log's present time, unless the long
    // sample is playing.
    void start_handed_over(vgm_log_writer& log);
    // Time passes to output frame `sample`: a trigger that waits for the long sample
    // starts where it ends.
    void pass_to(uint64_t sample, vgm_log_writer& log);

  private:
    struct placed {
        uint32_t offset = 0; // in the data block
        uint32_t length = 0; // DAC values
    };

    // `at` in time units: one Z80 cycle is 44100 units, one output frame 3579545.
    void start(uint8_t handed_over, int64_t at, vgm_log_writer& log);
    void set_frequency(uint32_t hertz, vgm_log_writer& log);
    uint64_t long_end_frame() const;

    std::vector<uint8_t> block_;
    std::array<placed, 4> samples_{}; // kick, snare, timpani, long
    std::array<uint8_t, 3> pitch_{};
    uint8_t timpani_pitch_ = 0;
    uint8_t pending_ = 0;
    bool long_playing_ = false;
    int64_t long_end_ = 0; // time units
    uint32_t frequency_ = 0;
};

} // namespace kavelo

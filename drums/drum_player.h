#pragma once
// The DAC output of the game's DAC program, rendered at 44100 Hz from the bytes the
// driver hands over. Time runs in Z80 cycles at the nominal loop rates; each output frame
// is the average of the DAC values over its span (a box filter).
//   0x81 kick, 0x82 snare, 0x83 timpani at the current timpani pitch: DPCM, interrupted
//       at once by the next trigger; each start enables the DAC (register 2B = 0x80)
//   0x84-0x86 read no valid sample: the program stops and the DAC stays where it is
//   0x87-0xFF the long 8-bit PCM sample, which plays to its end; the last trigger handed
//       over meanwhile starts then
// After a sample the DAC holds its last value; 0x80 is silence.

#include "drums/drum_kit.h"

#include <cstdint>
#include <span>

namespace kavelo {

inline constexpr int32_t drum_output_rate = 44100;
inline constexpr int64_t z80_clock = 3579545;
inline constexpr uint8_t long_pcm_pitch = 0x0B;

// Z80 cycles of the DPCM loop at pitch p (0 acts as 256): the byte (two values) and the
// part of it during which its first value is out.
int64_t dpcm_byte_cycles(uint8_t pitch);
int64_t dpcm_first_half_cycles(uint8_t pitch);
// Z80 cycles per byte of the long PCM sample.
int64_t long_pcm_byte_cycles();

class drum_player {
  public:
    explicit drum_player(drum_kit kit);

    // The timpani pitch, as the driver writes it before handing over 0x83. It starts at
    // the timpani entry's pitch and stays until the next call.
    void set_timpani_pitch(uint8_t pitch);
    uint8_t timpani_pitch() const { return timpani_pitch_; }

    // Hands over a byte; it takes effect at the start of the next render. Bytes below
    // 0x81 are no request.
    void trigger(uint8_t handed_over);

    // True once after a render in which a DPCM sample started, enabling the DAC: from
    // then on the DAC, not FM channel 6, is heard.
    bool take_dac_enabled();

    // A sample is playing (the program is busy).
    bool playing() const { return source_ != source::none; }

    // Signed 16-bit frames, (DAC value - 128) << 8 averaged over each frame.
    void render(std::span<int16_t> mono);

  private:
    enum class source { none, dpcm, long_pcm };

    void start(uint8_t handed_over);
    void next_value();
    const std::vector<uint8_t>& sample() const {
        return source_ == source::long_pcm ? kit_.long_pcm : kit_.dpcm[dpcm_index_];
    }

    drum_kit kit_;
    uint8_t timpani_pitch_;
    uint8_t pending_ = 0; // 0: nothing handed over
    bool dac_enabled_ = false;

    source source_ = source::none;
    std::size_t dpcm_index_ = 0; // kick, snare, timpani
    std::size_t position_ = 0;   // byte of the sample being played
    bool second_value_ = false;  // the byte's low nibble is out (DPCM)
    uint8_t pitch_ = 0;          // latched at the start of a DPCM sample
    uint8_t dac_ = 0x80;
    int64_t remaining_ = 0; // time units left of the DAC value that is out
};

} // namespace kavelo

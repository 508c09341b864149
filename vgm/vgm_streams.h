#pragma once
// The DAC streams of a VGM log (commands 0x90-0x95): each stream sends the bytes of the
// YM2612 data bank (data blocks of type 0x00, in file order) to a register of the first
// YM2612, usually 0x2A, at its own frequency. Streams set up for other chips or other
// banks are kept silent.
//
// Timing: write k of a stream (k = 0, 1, ... since its start or its last frequency change
// at frame s) goes to the chip just before frame s + ceil(k * 44100 / frequency) is
// rendered, so write 0 lands on the start frame and a write between two frames is heard
// from the next one. Writes due at the same frame go in stream order.

#include "fm/fm.h"
#include "vgm/vgm_file.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

inline constexpr uint32_t vgm_max_stream_frequency = 1000000;

struct vgm_stream {
    bool ours = false; // set up for the first YM2612 and reading bank type 0x00
    int32_t port = 0;  // 0 part I, 2 part II
    uint8_t reg = 0x2A;
    uint8_t bank_type = 0;
    uint8_t step = 1;
    uint8_t step_base = 0;
    uint32_t frequency = 0;

    bool playing = false;
    bool reverse = false;
    bool loop = false;
    int64_t start = 0; // first byte, for a loop
    int64_t pos = 0;
    int64_t low = 0, high = 0; // the bytes it may read: the bank or one block
    int64_t length = -1;       // writes per pass; -1 until the end of the data
    int64_t remaining = -1;
    int64_t anchor = 0; // frame of write 0
    int64_t sent = 0;   // writes since the anchor
};

struct vgm_block {
    std::size_t offset = 0; // in the YM2612 data bank
    std::size_t size = 0;
};

class vgm_streams {
  public:
    // A data block of type 0x00 appended to the bank at `offset`.
    void add_block(std::size_t offset, std::size_t size) { blocks_.push_back({offset, size}); }

    // Carries out stream command 0x90-0x95 at `pos` (whole, as vgm_command_length found it)
    // at frame `now`. Refused for a command this player cannot follow.
    vgm_result command(std::span<const uint8_t> file, std::size_t pos, int64_t now,
                       std::size_t bank_size);

    // The first frame at or after `now` at which a playing stream writes; INT64_MAX for none.
    int64_t next_write(int64_t now) const;

    // Sends every write due at or before frame `now`.
    void write_due(int64_t now, std::span<const uint8_t> bank, fm_core& core);

  private:
    bool finish(vgm_stream& s);

    std::array<vgm_stream, 256> streams_{};
    std::vector<vgm_block> blocks_;
};

} // namespace kavelo

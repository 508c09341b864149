#pragma once
// Hand-made tracks for the track player's tests and benchmarks: a track assembled from
// channel streams and voices, and a ROM image that holds it at track 0's offset together
// with the sound driver's tables and, when asked, the demo drum kit at the ROM's offsets.

#include "rom/voice_record.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kavelo::test {

// One channel's stream; `mark` and `jump_to` make the endless loops a track ends with.
struct stream_bytes {
    std::vector<uint8_t> bytes;

    stream_bytes& add(std::initializer_list<uint8_t> more);
    std::size_t mark() const { return bytes.size(); }
    // F6 with the offset that lands on `target` (a mark of this stream).
    stream_bytes& jump_to(std::size_t target);
};

struct psg_entry {
    stream_bytes stream;
    uint8_t volume = 0;
    uint8_t envelope = 0;
};

struct test_track {
    uint8_t divider = 1;
    uint8_t main_tempo = 0;
    std::vector<stream_bytes> fm;   // the drum channel first, then FM1, FM2, ...
    std::vector<uint8_t> fm_volume; // per FM entry; missing entries are 0
    std::vector<psg_entry> psg;
    std::vector<voice_record> voices; // working order
};

// The track's bytes: the header, the streams in entry order, then the voice table.
std::vector<uint8_t> make_track(const test_track& shape);

// A 512 KiB ROM image: the driver's tables, the track at track 0's offset, and with
// `drums` the demo DAC program (its address at 0x135E) and the demo long sample.
std::vector<uint8_t> make_track_rom(std::span<const uint8_t> track, bool drums);

} // namespace kavelo::test

// Plays the input as a bare track and at track 0 of a ROM with the driver's tables. Checks:
// the header is refused exactly when its counts are outside the driver's or it does not
// fit; frame 0 is the start sequence; no frame writes more than its channels can; nothing
// is written once no channel plays; every port write makes a log line.

#include "fuzz_check.h"
#include "rom/track_table.h"
#include "track/driver_tables.h"
#include "track/track_interpreter.h"

#include <algorithm>

namespace {

using namespace kavelo;

constexpr int64_t frames_played = 300;

// Frame 0: six key-offs, 24 TL writes and four PSG silences, then either the DAC off (one
// write, seven FM entries) or FM6 silenced (six), six FM record key-offs, three PSG ones.
std::size_t start_writes(uint8_t fm_entries) {
    return 6 + 24 + 4 + (fm_entries == 7 ? 1 : 6) + 6 + 3;
}

// The most one flag writes: EE's key-off, the 26 writes of FM4's voice load and the load
// event. Besides its flags a channel writes at most four in a frame (an FM note's key-off,
// A4, A0 and key-on).
constexpr std::size_t flag_writes = 28;
constexpr std::size_t note_writes = 4;
constexpr std::size_t frame_write_bound =
    music_channel_count * ((max_flags_per_read + 1) * flag_writes + note_writes);

bool header_is_playable(const std::vector<uint8_t>& image, uint32_t start) {
    if (image.size() < std::size_t{start} + 4) {
        return false;
    }
    const uint8_t fm = image[start + 2];
    const uint8_t psg = image[start + 3];
    return fm >= 1 && fm <= 7 && psg <= 3 &&
           image.size() >= std::size_t{start} + 6 + 4u * fm + 6u * psg;
}

bool is_port_write(const driver_write& write) {
    return write.target == write_target::ym0 || write.target == write_target::ym1 ||
           write.target == write_target::psg || write.target == write_target::drum;
}

void play(track_source source) {
    const bool playable = header_is_playable(source.image, source.track_start);
    const uint8_t fm_entries = playable ? source.image[source.track_start + 2] : 0;
    track_interpreter driver(std::move(source));
    FUZZ_CHECK(driver.valid() == playable);
    if (!driver.valid()) {
        FUZZ_CHECK(!driver.problem().empty());
        return;
    }
    std::vector<driver_write> writes;
    for (int64_t frame = 0; frame < frames_played; ++frame) {
        const bool was_playing = frame == 0 || driver.playing();
        writes.clear();
        driver.run_frame(writes);
        FUZZ_CHECK(driver.frames_run() == frame + 1);
        if (frame == 0) {
            FUZZ_CHECK(writes.size() == start_writes(fm_entries));
        }
        FUZZ_CHECK(writes.size() <= frame_write_bound);
        FUZZ_CHECK(was_playing || writes.empty());
        for (const driver_write& write : writes) {
            std::string line;
            FUZZ_CHECK(append_driver_write(line, frame, write) == is_port_write(write));
        }
        for (const std::string& message : driver.take_messages()) {
            FUZZ_CHECK(!message.empty());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<uint8_t> track(data, data + size);
    play({track, file_mode::bare_track, 0});

    const uint32_t start = track_table[0].start;
    std::vector<uint8_t> rom(std::max<std::size_t>(track_table[0].end, start + size), 0);
    const std::span<const uint8_t> tables = builtin_driver_rom();
    std::copy(tables.begin(), tables.end(), rom.begin());
    std::copy(track.begin(), track.end(), rom.begin() + start);
    play({std::move(rom), file_mode::rom_image, start});
    return 0;
}

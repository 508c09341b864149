#include "track_rom.h"

#include "demo/demo_rom.h"
#include "drums/demo_drums.h"
#include "drums/drum_kit.h"
#include "rom/byte_order.h"
#include "rom/track_table.h"
#include "track/driver_tables.h"

#include <algorithm>

namespace kavelo::test {

stream_bytes& stream_bytes::add(std::initializer_list<uint8_t> more) {
    bytes.insert(bytes.end(), more);
    return *this;
}

stream_bytes& stream_bytes::jump_to(std::size_t target) {
    // The target is the offset's own address + 1 + offset.
    const auto offset = static_cast<int32_t>(target) - static_cast<int32_t>(bytes.size() + 2);
    const auto word = static_cast<uint16_t>(offset);
    return add({0xF6, static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)});
}

std::vector<uint8_t> make_track(const test_track& shape) {
    const std::size_t header = 6 + 4 * shape.fm.size() + 6 * shape.psg.size();
    std::vector<uint8_t> track(header, 0);
    track[2] = static_cast<uint8_t>(shape.fm.size());
    track[3] = static_cast<uint8_t>(shape.psg.size());
    track[4] = shape.divider;
    track[5] = shape.main_tempo;
    const auto append_stream = [&](std::size_t entry, const stream_bytes& stream) {
        write_be16(std::span(track).subspan(entry).first<2>(), static_cast<uint16_t>(track.size()));
        track.insert(track.end(), stream.bytes.begin(), stream.bytes.end());
    };
    for (std::size_t i = 0; i < shape.fm.size(); ++i) {
        track[6 + 4 * i + 3] = i < shape.fm_volume.size() ? shape.fm_volume[i] : 0;
        append_stream(6 + 4 * i, shape.fm[i]);
    }
    for (std::size_t j = 0; j < shape.psg.size(); ++j) {
        const std::size_t entry = 6 + 4 * shape.fm.size() + 6 * j;
        track[entry + 3] = shape.psg[j].volume;
        track[entry + 5] = shape.psg[j].envelope;
        append_stream(entry, shape.psg[j].stream);
    }
    write_be16(std::span(track).first<2>(), static_cast<uint16_t>(track.size()));
    for (const voice_record& voice : shape.voices) {
        const voice_record stored = swap_voice_order(voice);
        track.insert(track.end(), stored.begin(), stored.end());
    }
    return track;
}

std::vector<uint8_t> make_track_rom(std::span<const uint8_t> track, bool drums) {
    std::vector<uint8_t> rom(demo_rom_size, 0);
    const std::span<const uint8_t> tables = builtin_driver_rom();
    std::copy(tables.begin(), tables.end(), rom.begin());
    std::copy(track.begin(), track.end(), rom.begin() + track_table[0].start);
    if (drums) {
        write_be16(std::span(rom).subspan(dac_program_pointer_offset).first<2>(),
                   static_cast<uint16_t>(dac_program_rom_offset >> 16));
        write_be16(std::span(rom).subspan(dac_program_pointer_offset + 2).first<2>(),
                   static_cast<uint16_t>(dac_program_rom_offset));
        const std::vector<uint8_t> program = make_demo_dac_program();
        std::copy(program.begin(), program.end(), rom.begin() + dac_program_rom_offset);
        const std::vector<uint8_t> long_sample = make_demo_long_sample();
        std::copy(long_sample.begin(), long_sample.end(), rom.begin() + long_pcm_rom_offset);
    }
    return rom;
}

} // namespace kavelo::test

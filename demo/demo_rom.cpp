#include "demo/demo_rom.h"

#include "demo/demo_tune.h"
#include "drums/demo_drums.h"
#include "drums/drum_kit.h"
#include "track/driver_tables.h"

#include "rom/byte_order.h"
#include "rom/rom_access.h"
#include "rom/track_header_layout.h"
#include "rom/track_table.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kavelo {

namespace {

struct operator_params {
    uint8_t dt, mul, tl, rs, ar, am, d1r, d2r, d1l, rr;
};

// Builds a working-order record from operators given as OP1, OP2, OP3, OP4.
constexpr voice_record make_voice(uint8_t algorithm, uint8_t feedback,
                                  std::array<operator_params, 4> ops) {
    voice_record record{};
    record[0] = static_cast<uint8_t>(feedback << 3 | algorithm);
    for (int op = 0; op < 4; ++op) {
        const operator_params& p = ops[op];
        const int position = 3 - op; // groups run OP4, OP3, OP2, OP1
        record[1 + position] = static_cast<uint8_t>(p.dt << 4 | p.mul);
        record[5 + position] = static_cast<uint8_t>(p.rs << 6 | p.ar);
        record[9 + position] = static_cast<uint8_t>(p.am << 7 | p.d1r);
        record[13 + position] = p.d2r;
        record[17 + position] = static_cast<uint8_t>(p.d1l << 4 | p.rr);
        record[21 + position] = p.tl;
    }
    return record;
}

// Carriers per algorithm: 0-3 OP4; 4 OP3 and OP4; 5-6 OP2, OP3, OP4; 7 all four.
constexpr std::array<demo_voice, 12> voices{{
    {"Piano", make_voice(2, 5,
                         {{{3, 1, 35, 2, 31, 0, 8, 2, 4, 6},
                           {0, 1, 30, 2, 31, 0, 10, 3, 5, 6},
                           {7, 3, 40, 2, 31, 0, 12, 3, 6, 6},
                           {0, 1, 4, 2, 31, 0, 7, 3, 3, 7}}})},
    {"Slap Bass", make_voice(0, 6,
                             {{{0, 0, 28, 1, 31, 0, 12, 4, 6, 8},
                               {0, 1, 33, 1, 31, 0, 10, 3, 4, 8},
                               {0, 2, 38, 1, 31, 0, 14, 4, 6, 8},
                               {0, 1, 2, 1, 31, 0, 6, 2, 2, 9}}})},
    {"Brass", make_voice(4, 5,
                         {{{0, 1, 26, 1, 18, 0, 5, 1, 2, 7},
                           {0, 1, 22, 1, 17, 0, 4, 1, 2, 7},
                           {3, 1, 8, 1, 17, 0, 3, 1, 1, 7},
                           {7, 1, 8, 1, 17, 0, 3, 1, 1, 7}}})},
    {"Bells", make_voice(4, 0,
                         {{{0, 7, 30, 2, 31, 0, 9, 5, 10, 5},
                           {0, 3, 28, 2, 31, 0, 8, 4, 10, 5},
                           {0, 1, 6, 2, 31, 0, 6, 3, 8, 4},
                           {3, 1, 6, 2, 31, 0, 6, 3, 8, 4}}})},
    {"Organ", make_voice(7, 0,
                         {{{0, 1, 16, 0, 31, 0, 0, 0, 0, 10},
                           {0, 2, 18, 0, 31, 0, 0, 0, 0, 10},
                           {0, 4, 22, 0, 31, 0, 0, 0, 0, 10},
                           {0, 8, 26, 0, 31, 0, 0, 0, 0, 10}}})},
    {"Strings", make_voice(3, 3,
                           {{{3, 1, 30, 0, 12, 0, 2, 1, 1, 5},
                             {7, 1, 32, 0, 11, 0, 2, 1, 1, 5},
                             {0, 2, 36, 0, 10, 0, 2, 1, 1, 5},
                             {0, 1, 6, 0, 11, 0, 2, 1, 1, 5}}})},
    {"Square Lead", make_voice(4, 7,
                               {{{0, 1, 24, 0, 31, 0, 0, 0, 0, 8},
                                 {0, 2, 30, 0, 31, 0, 0, 0, 0, 8},
                                 {0, 1, 10, 0, 31, 0, 2, 1, 1, 8},
                                 {1, 1, 10, 0, 31, 0, 2, 1, 1, 8}}})},
    {"Flute", make_voice(4, 4,
                         {{{0, 1, 40, 0, 20, 0, 0, 0, 0, 7},
                           {0, 1, 45, 0, 20, 0, 0, 0, 0, 7},
                           {0, 1, 8, 0, 18, 0, 2, 1, 1, 7},
                           {3, 2, 30, 0, 18, 0, 2, 1, 1, 7}}})},
    {"E. Guitar", make_voice(2, 6,
                             {{{0, 3, 28, 1, 31, 0, 6, 3, 3, 7},
                               {0, 1, 24, 1, 31, 0, 5, 3, 3, 7},
                               {0, 1, 30, 1, 31, 0, 7, 3, 3, 7},
                               {0, 1, 6, 1, 31, 0, 4, 3, 2, 8}}})},
    {"Marimba", make_voice(6, 2,
                           {{{0, 4, 30, 2, 31, 0, 16, 8, 15, 9},
                             {0, 1, 8, 2, 31, 0, 12, 8, 15, 9},
                             {0, 4, 12, 2, 31, 0, 14, 8, 15, 9},
                             {0, 1, 6, 2, 31, 0, 11, 8, 15, 9}}})},
    {"Synth Pad", make_voice(5, 4,
                             {{{0, 1, 30, 0, 8, 1, 1, 0, 1, 4},
                               {3, 1, 12, 0, 8, 0, 1, 0, 1, 4},
                               {7, 1, 12, 0, 8, 0, 1, 0, 1, 4},
                               {0, 2, 14, 0, 8, 0, 1, 0, 1, 4}}})},
    {"Tom", make_voice(0, 7,
                       {{{0, 0, 20, 3, 31, 0, 14, 10, 15, 12},
                         {0, 0, 30, 3, 31, 0, 18, 12, 15, 12},
                         {0, 1, 40, 3, 31, 0, 20, 14, 15, 12},
                         {0, 0, 0, 3, 31, 0, 12, 8, 15, 12}}})},
}};

// The game's tracks are not all of one shape: two have a sixth FM channel, one has no
// PSG channel and one carries a long voice table. The others have 6 FM and 3 PSG entries.
struct track_shape {
    uint8_t fm_entries = 6; // drum entry included
    uint8_t psg_entries = 3;
    int32_t voices = 0; // 0: a count of 1-9 drawn from the track index
};

track_shape shape_of(int32_t index) {
    switch (index) {
    case 8:
    case 18:
        return {7, 3, 0};
    case 16:
        return {6, 3, 33};
    case 17:
        return {6, 0, 0};
    default:
        return {};
    }
}

// The key displacement each header entry gives its channel: FM3 an octave down, FM2, FM4
// and FM6 an octave up; PSG1 two octaves down, PSG2 one.
constexpr std::array<int8_t, 6> fm_keys{0, 12, -12, 12, 0, 12};
constexpr std::array<int8_t, 3> psg_keys{-24, -12, 0};

// Fills a track's bytes: the header, the tune's streams (the entries' pointers, relative
// to the track start, point into them), then the voices running to the track's end. A
// small track gets the small arrangement, and fewer voices where even that would not fit.
void fill_track(std::span<uint8_t> track, int32_t index) {
    const track_shape shape = shape_of(index);
    const track_header_layout layout = header_layout(shape.fm_entries, shape.psg_entries);
    const int32_t wanted = shape.voices > 0 ? shape.voices : 1 + (index * 4) % 9;
    const auto divider = static_cast<uint8_t>(1 + index % 3);

    demo_tune_shape tune_shape{index,  shape.fm_entries, shape.psg_entries, divider,
                               wanted, fm_keys,          psg_keys,          true};
    const auto room_for = [&](const demo_tune& tune) {
        return static_cast<int32_t>((track.size() - layout.size - tune.streams.size()) /
                                    voice_record_size);
    };
    demo_tune tune = compose_demo_tune(tune_shape, layout.size);
    if (room_for(tune) < wanted) {
        tune_shape.roomy = false;
        tune = compose_demo_tune(tune_shape, layout.size);
    }
    const int32_t count = std::clamp(room_for(tune), 1, wanted);
    if (count < wanted) {
        tune_shape.voices = count;
        tune = compose_demo_tune(tune_shape, layout.size);
    }
    const uint16_t table_offset = static_cast<uint16_t>(track.size() - voice_record_size * count);

    std::fill(track.begin(), track.end(), uint8_t{0});
    write_be16(track.first<2>(), table_offset);
    track[2] = shape.fm_entries;
    track[3] = shape.psg_entries;
    track[4] = divider;                             // half-time tempo modifier
    track[5] = static_cast<uint8_t>(4 + index % 5); // song tempo
    std::copy(tune.streams.begin(), tune.streams.end(), track.begin() + layout.size);

    // Entry k starts with the pointer to its stream; FM entries are 4 bytes, PSG 6.
    std::size_t entry = 6;
    const int entries = shape.fm_entries + shape.psg_entries;
    for (int k = 0; k < entries; ++k) {
        write_be16(track.subspan(entry).first<2>(), tune.entries[static_cast<std::size_t>(k)]);
        if (k >= shape.fm_entries) {
            track[entry + 5] = tune.envelopes[static_cast<std::size_t>(k - shape.fm_entries)];
        }
        entry += k < shape.fm_entries ? 4 : 6;
    }
    for (int channel = 1; channel < shape.fm_entries; ++channel) {
        const int n = channel - 1;
        track[*channel_modifier_byte(layout, header_channel::fm, channel, channel_modifier::key)] =
            static_cast<uint8_t>(fm_keys[static_cast<std::size_t>(n)]);
        track[*channel_modifier_byte(layout, header_channel::fm, channel,
                                     channel_modifier::volume)] =
            static_cast<uint8_t>(2 * n + index % 4);
    }
    for (int channel = 1; channel <= shape.psg_entries; ++channel) {
        const int n = channel - 1;
        track[*channel_modifier_byte(layout, header_channel::psg, channel, channel_modifier::key)] =
            static_cast<uint8_t>(psg_keys[static_cast<std::size_t>(n)]);
        track[*channel_modifier_byte(layout, header_channel::psg, channel,
                                     channel_modifier::volume)] = static_cast<uint8_t>(1 + n);
    }

    for (int32_t v = 0; v < count; ++v) {
        const voice_record stored =
            swap_voice_order(voices[(index * 5 + v * 7) % voices.size()].record);
        std::copy(stored.begin(), stored.end(),
                  track.begin() + table_offset + voice_record_size * v);
    }
}

} // namespace

std::span<const demo_voice> demo_voices() {
    return voices;
}

std::vector<uint8_t> make_demo_rom() {
    std::vector<uint8_t> image(demo_rom_size, 0);
    static constexpr std::string_view title = "KAVELO DEMO ROM";
    std::copy(title.begin(), title.end(), image.begin() + 0x120);
    std::memcpy(image.data() + rom_serial_offset, rom_serial, rom_serial_length);
    // The sound driver's tables and the DAC program with its drums, where the game keeps them.
    const std::span<const uint8_t> tables = builtin_driver_rom();
    std::copy(tables.begin() + driver_tables_start, tables.end(),
              image.begin() + driver_tables_start);
    const std::vector<uint8_t> dac_program = make_demo_dac_program();
    std::copy(dac_program.begin(), dac_program.end(), image.begin() + dac_program_rom_offset);
    std::array<uint8_t, 4> pointer{};
    for (int i = 0; i < 4; ++i) {
        pointer[i] = static_cast<uint8_t>(dac_program_rom_offset >> (24 - 8 * i));
    }
    std::copy(pointer.begin(), pointer.end(), image.begin() + dac_program_pointer_offset);
    const std::vector<uint8_t> crash = make_demo_long_sample();
    std::copy(crash.begin(), crash.end(), image.begin() + long_pcm_rom_offset);
    for (int32_t i = 0; i < track_count; ++i) {
        const track_entry& track = track_table[i];
        fill_track(std::span(image).subspan(track.start, track.end - track.start), i);
    }
    write_be16(std::span(image).subspan(checksum_offset).first<2>(), cartridge_checksum(image));
    return image;
}

std::vector<uint8_t> make_demo_track(int32_t track_index) {
    const track_entry& track = track_table[static_cast<std::size_t>(track_index)];
    std::vector<uint8_t> bytes(track.end - track.start);
    fill_track(bytes, track_index);
    return bytes;
}

} // namespace kavelo

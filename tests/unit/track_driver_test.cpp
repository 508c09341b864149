// Hand-made tracks for each coordination flag and each driver quirk, with the writes the
// game's driver makes for them worked out by hand from its rules. Every case runs as a bare
// track and, where the file's bounds do not matter, patched into a ROM image at track 0.

#include "rom/track_table.h"
#include "track/driver_tables.h"
#include "track/track_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

// ROM order: feedback/algorithm, 20 operator bytes, the TL bytes of OP1, OP3, OP2, OP4.
using voice_bytes = std::array<uint8_t, voice_record_size>;
constexpr voice_bytes voice0{0x07, 0x01, 0x01, 0x01, 0x01, 0x1F, 0x1F, 0x1F, 0x1F,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F,
                             0x0F, 0x0F, 0x0F, 0x10, 0x20, 0x30, 0x40};
constexpr voice_bytes voice1{0x3C, 0x71, 0x32, 0x03, 0x04, 0x5F, 0x5E, 0x5D, 0x5C,
                             0x85, 0x06, 0x07, 0x08, 0x02, 0x03, 0x04, 0x05, 0x1A,
                             0x2B, 0x3C, 0x4D, 0x20, 0x7F, 0x22, 0x10};
// Algorithm 5 (carriers 48, 44, 4C) with TL bytes that overflow a byte when added to.
constexpr voice_bytes voice2{0x05, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,   0,
                             0,    0, 0, 0, 0, 0, 0, 0, 0x70, 0xC0, 0x90, 0x08};

struct channel_spec {
    bytes stream;
    uint8_t transpose = 0;
    uint8_t volume = 0;
    uint8_t envelope = 0;
    int32_t pointer = -1; // the stream's own place unless set
};

struct test_track {
    uint8_t divider = 1;
    uint8_t tempo = 0;
    std::vector<channel_spec> fm; // entry 0 is the drum channel
    std::vector<channel_spec> psg;
};

// Header, the streams one after another, then the voice table (voices 0-2).
bytes assemble(const test_track& shape) {
    const auto f = static_cast<uint8_t>(shape.fm.size());
    const auto p = static_cast<uint8_t>(shape.psg.size());
    bytes out(6 + 4 * f + 6 * p, 0);
    out[2] = f;
    out[3] = p;
    out[4] = shape.divider;
    out[5] = shape.tempo;
    auto place = [&](const channel_spec& channel, std::size_t entry) {
        const auto at = static_cast<uint16_t>(channel.pointer >= 0 ? channel.pointer : out.size());
        out[entry] = static_cast<uint8_t>(at >> 8);
        out[entry + 1] = static_cast<uint8_t>(at);
        out[entry + 2] = channel.transpose;
        out[entry + 3] = channel.volume;
        out.insert(out.end(), channel.stream.begin(), channel.stream.end());
    };
    for (std::size_t i = 0; i < f; ++i) {
        place(shape.fm[i], 6 + 4 * i);
    }
    for (std::size_t j = 0; j < p; ++j) {
        const std::size_t entry = 6 + 4 * f + 6 * j;
        place(shape.psg[j], entry);
        out[entry + 5] = shape.psg[j].envelope;
    }
    out[0] = static_cast<uint8_t>(out.size() >> 8);
    out[1] = static_cast<uint8_t>(out.size());
    for (const voice_bytes& voice : {voice0, voice1, voice2}) {
        out.insert(out.end(), voice.begin(), voice.end());
    }
    return out;
}

const channel_spec resting_drum{{0x80, 0x60, 0xF6, 0xFF, 0xFC}};

test_track fm1(bytes stream, uint8_t divider = 1, uint8_t tempo = 0) {
    return {divider, tempo, {resting_drum, {std::move(stream)}}, {}};
}

test_track psg1(bytes stream, uint8_t volume = 0, uint8_t envelope = 0, uint8_t transpose = 0) {
    return {1, 0, {resting_drum}, {{std::move(stream), transpose, volume, envelope}}};
}

// Expected writes are written "frame: write, write; frame: ...", each write as in the log.
std::string hex(uint32_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

std::string at(int64_t frame, const std::string& writes) {
    return std::to_string(frame) + ": " + writes + ";";
}

// A register write by the channel rule of the voice-control byte.
std::string reg(uint8_t vc, uint32_t base, uint32_t value) {
    if (vc & 0x04) {
        return "ym1 " + hex(base + (vc & ~0x04u)) + " " + hex(value);
    }
    return "ym0 " + hex(base + vc) + " " + hex(value);
}

std::string freq(uint32_t word, uint8_t vc = 0) {
    return reg(vc, 0xA4, word >> 8) + ", " + reg(vc, 0xA0, word);
}
std::string off(uint8_t vc = 0) {
    return "ym0 28 " + hex(vc);
}
std::string held(uint32_t word, uint8_t vc = 0) {
    return freq(word, vc) + ", ym0 28 " + hex(vc | 0xF0u);
}
std::string note(uint32_t word, uint8_t vc = 0) {
    return off(vc) + ", " + held(word, vc);
}

std::string voice(const voice_bytes& v, uint8_t vc, uint8_t volume, uint8_t b4) {
    static constexpr std::array<uint8_t, 24> order{0x30, 0x38, 0x34, 0x3C, 0x50, 0x58, 0x54, 0x5C,
                                                   0x60, 0x68, 0x64, 0x6C, 0x70, 0x78, 0x74, 0x7C,
                                                   0x80, 0x88, 0x84, 0x8C, 0x40, 0x48, 0x44, 0x4C};
    static constexpr std::array<uint8_t, 8> carriers{8, 8, 8, 8, 0x0A, 0x0E, 0x0E, 0x0F};
    std::string out = reg(vc, 0xB0, v[0]);
    for (std::size_t i = 0; i < 24; ++i) {
        const bool carrier = i >= 20 && (carriers[v[0] & 7] >> (i - 20) & 1);
        out += ", " + reg(vc, order[i], v[i + 1] + (carrier ? volume : 0));
    }
    return out + ", " + reg(vc, 0xB4, b4) + ", ";
}

std::string log_lines(const std::string& expected) {
    std::string out;
    std::istringstream frames(expected);
    std::string frame;
    while (std::getline(frames, frame, ';')) {
        const std::size_t colon = frame.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string number = std::to_string(std::stoll(frame.substr(0, colon)));
        std::istringstream writes(frame.substr(colon + 1));
        std::string write;
        while (std::getline(writes, write, ',')) {
            const std::size_t first = write.find_first_not_of(' ');
            if (first != std::string::npos) {
                out += number + " " + write.substr(first, write.find_last_not_of(' ') - first + 1) +
                       "\n";
            }
        }
    }
    return out;
}

std::string log_from(track_interpreter& driver, int64_t frames, int64_t from) {
    std::istringstream lines(track_log(driver, frames));
    std::string out;
    std::string line;
    while (std::getline(lines, line)) {
        if (std::stoll(line) >= from) {
            out += line + "\n";
        }
    }
    return out;
}

constexpr int32_t any_messages = -1;

struct driver_case {
    const char* name;
    test_track track;
    int64_t frames;
    std::string expected;
    int64_t from = 1;
    int32_t messages = 0;
    bool bare_only = false; // reads past the bare file, or past the driver's tables
    bool rom_head = false;  // ROM mode only, with the ROM's first bytes 00 01 03 04
};

void PrintTo(const driver_case& c, std::ostream* out) {
    *out << c.name;
}

class track_driver : public testing::TestWithParam<driver_case> {};

// The track at track 0 of an image holding the driver's tables, its first bytes replaced by
// `head`.
track_interpreter in_rom_image(const bytes& track, const bytes& head) {
    bytes rom(track_table[0].end, 0);
    const std::span<const uint8_t> tables = builtin_driver_rom();
    std::copy(tables.begin(), tables.end(), rom.begin());
    std::copy(head.begin(), head.end(), rom.begin());
    std::copy(track.begin(), track.end(), rom.begin() + track_table[0].start);
    return track_interpreter({rom, file_mode::rom_image, track_table[0].start});
}

TEST_P(track_driver, writes_what_the_driver_rules_give) {
    const driver_case& c = GetParam();
    const bytes track = assemble(c.track);
    const std::string expected = log_lines(c.expected);
    if (!c.rom_head) {
        track_interpreter bare({track, file_mode::bare_track, 0});
        ASSERT_TRUE(bare.valid()) << bare.problem();
        EXPECT_EQ(log_from(bare, c.frames, c.from), expected) << "bare track";
        if (c.messages != any_messages) {
            EXPECT_EQ(bare.take_messages().size(), static_cast<std::size_t>(c.messages));
        }
    }
    if (!c.bare_only) {
        track_interpreter in_rom(
            in_rom_image(track, c.rom_head ? bytes{0x00, 0x01, 0x03, 0x04} : bytes{}));
        EXPECT_EQ(log_from(in_rom, c.frames, c.from), expected) << "ROM image";
        if (c.messages == 0) {
            EXPECT_TRUE(in_rom.take_messages().empty());
        }
    }
}

// A call of depth 5 stores its return address over the modulation value, the detune and
// the algorithm byte; the return zeroes them. The address is the ROM address in a ROM image
// and the file offset in a bare track.
TEST(track_driver_records, call_of_depth_5_sets_the_detune) {
    const bytes track =
        assemble(fm1({0xF8, 0x00, 0x04, 0x82, 0x01, 0xF2, 0xF8, 0x00, 0x02, 0xE3, 0xF8, 0x00, 0x02,
                      0xE3, 0xF8, 0x00, 0x02, 0xE3, 0xF8, 0x00, 0x02, 0xE3, 0x81, 0x01, 0xE3}));
    const std::string after = at(2, note(0x2AB)) + at(3, off());
    // The fifth call's offset is at track offset 38: 0x745DC + 38 = 0x74602.
    track_interpreter in_rom(in_rom_image(track, {}));
    EXPECT_EQ(log_from(in_rom, 5, 1), log_lines(at(1, note(0x284 + 0x46)) + after));
    track_interpreter bare({track, file_mode::bare_track, 0});
    EXPECT_EQ(log_from(bare, 5, 1), log_lines(at(1, note(0x284)) + after));
}

std::string name_of(const testing::TestParamInfo<driver_case>& info) {
    return info.param.name;
}

const std::string psg_c = "psg 86, psg 35"; // note 81 on PSG1: period 0x356

// A PSG1 note at volume 0 through an envelope's offsets, one a frame, then keyed off.
std::string envelope_run(std::initializer_list<uint32_t> offsets, int64_t key_off) {
    std::string out;
    int64_t frame = 1;
    for (const uint32_t offset : offsets) {
        out += at(frame, (frame == 1 ? psg_c + ", psg 9" : "psg 9") + hex(offset).substr(1));
        ++frame;
    }
    return out + at(key_off, "psg 9f");
}

INSTANTIATE_TEST_SUITE_P(
    durations, track_driver,
    testing::Values(
        driver_case{"divider_0_is_256", fm1({0x81, 0x01, 0xF2}, 0), 260,
                    at(1, note(0x284)) + at(258, off())},
        driver_case{"product_mod_256", fm1({0x81, 0x56, 0xF2}, 3), 10,
                    at(1, note(0x284)) + at(3, off())},
        driver_case{"duration_0_is_256_frames", fm1({0x81, 0x00, 0xF2}), 260,
                    at(1, note(0x284)) + at(258, off())},
        driver_case{"saved_duration_starts_at_0", fm1({0x81, 0xF2}), 260,
                    at(1, note(0x284)) + at(258, off())},
        driver_case{"saved_duration_is_the_product", fm1({0x81, 0x03, 0xE5, 0x01, 0x82, 0xF2}, 2),
                    16, at(1, note(0x284)) + at(7, note(0x2AB)) + at(13, off())},
        driver_case{"bare_duration_after_note", fm1({0x81, 0x02, 0x03, 0xF2}), 10,
                    at(1, note(0x284)) + at(3, note(0x284)) + at(6, off())},
        driver_case{"bare_duration_after_rest", fm1({0x80, 0x02, 0x03, 0xF2}), 10,
                    at(1, off()) + at(3, off()) + at(6, off())},
        driver_case{"tempo_1_freezes", fm1({0x81, 0x02, 0xF2}, 1, 1), 20, ""},
        driver_case{"hold_back_runs_note_fill_and_envelopes",
                    {1,
                     2,
                     {resting_drum, {{0xE8, 0x02, 0x81, 0x03, 0xF2}}},
                     {{{0x81, 0x02, 0xF2}, 0, 0, 9}}},
                    10,
                    at(1, note(0x284) + ", " + psg_c + ", psg 90") + at(2, "psg 91") +
                        at(3, off() + ", psg 92") + at(4, "psg 93") + at(5, "psg 9f") +
                        at(7, off())},
        driver_case{"ea_restarts_the_main_tempo", fm1({0x81, 0x04, 0xEA, 0x02, 0x81, 0x04, 0xF2}),
                    16, at(1, note(0x284)) + at(5, note(0x284)) + at(12, off())},
        driver_case{"fm_indices_past_the_table",
                    {1,
                     0,
                     {resting_drum,
                      {{0xDF, 0x01, 0xE9, 0x1F, 0xDF, 0x01, 0xE9, 0x01, 0xDF, 0x01, 0xF2}, 1}},
                     {}},
                    6,
                    at(1, note(0x532D)) + at(2, note(0x60F0)) + at(3, note(0x025E)) + at(4, off())},
        driver_case{"psg_indices_past_the_table",
                    psg1({0x86, 0x01, 0x87, 0x01, 0x88, 0x01, 0x89, 0x01, 0xF2}, 0, 0, 0x40), 7,
                    at(1, "psg 80, psg 00, psg 90") + at(2, "psg 85, psg 04, psg 90") +
                        at(3, "psg 80, psg 0e, psg 90") + at(5, "psg 9f")}),
    name_of);

// FM1's loop counter 12 is the first byte of FM2's record, its control bits: counting
// down from 0x80 clears FM2's playing bit at once and takes 128 passes.
std::string loop_through_the_next_record() {
    std::string out = at(1, note(0x284) + ", " + note(0x2AB, 1));
    for (int64_t frame = 2; frame <= 128; ++frame) {
        out += at(frame, note(0x284));
    }
    return out + at(129, off());
}

std::string every_channel_note() {
    std::string out = "drum 81, ";
    for (uint8_t vc : {0, 1, 2, 4, 5, 6}) {
        out += (vc == 5 ? "ym1 b5 40, " : "") + note(0x284, vc) + ", ";
    }
    return out + psg_c + ", psg 90, psg a6, psg 35, psg b0, psg c6, psg 35, psg d0";
}

INSTANTIATE_TEST_SUITE_P(
    fm_flags, track_driver,
    testing::Values(
        driver_case{
            "e0_keeps_bits_and_fa_acts_as_e0",
            fm1({0xE0, 0x80, 0xE0, 0x45, 0xFA, 0x02, 0x81, 0x01, 0xEF, 0x00, 0x81, 0x01, 0xF2}), 5,
            at(1, "ym0 b4 80, ym0 b4 45, ym0 b4 07, " + note(0x284)) +
                at(2, voice(voice0, 0, 0, 0x07) + note(0x284)) + at(3, off())},
        driver_case{"e1_detune_signed_with_carry",
                    fm1({0xE1, 0x7F, 0x81, 0x01, 0xE1, 0xFE, 0x81, 0x01, 0xF2}), 5,
                    at(1, note(0x303)) + at(2, note(0x282)) + at(3, off())},
        driver_case{"e2_and_ed_write_nothing", fm1({0xE2, 0x55, 0xED, 0x81, 0x01, 0xF2}), 4,
                    at(1, note(0x284)) + at(2, off())},
        driver_case{"f8_e3_two_deep",
                    fm1({0xF8, 0x00, 0x04, 0x81, 0x01, 0xF2, 0xF8, 0x00, 0x04, 0x83, 0x01, 0xE3,
                         0x82, 0x01, 0xE3}),
                    6, at(1, note(0x2AB)) + at(2, note(0x2D3)) + at(3, note(0x284)) + at(4, off())},
        driver_case{"e3_with_empty_stack_stops", fm1({0x81, 0x01, 0xE3, 0x81, 0x01}), 6,
                    at(1, note(0x284)), 1, 1},
        driver_case{
            "e5_own_channel_only",
            {1, 0, {resting_drum, {{0xE5, 0x03, 0x81, 0x56, 0xF2}}}, {{{0x81, 0x05, 0xF2}}}},
            8,
            at(1, note(0x284) + ", " + psg_c + ", psg 90") + at(3, off()) + at(6, "psg 9f")},
        driver_case{"eb_every_channel",
                    {1,
                     0,
                     {resting_drum, {{0xEB, 0x03, 0x81, 0x56, 0xF2}}},
                     {{{0x81, 0x05, 0x81, 0x02, 0xF2}}}},
                    25,
                    at(1, note(0x284) + ", " + psg_c + ", psg 90") + at(3, off()) +
                        at(16, psg_c + ", psg 90") + at(22, "psg 9f")},
        driver_case{
            "e6_carriers_skips_and_bit_7",
            fm1({0xEF, 0x02, 0xE6, 0x50, 0xE6, 0x30, 0xE6, 0xF0, 0xEF, 0x02, 0x81, 0x01, 0xF2}), 4,
            at(1, voice(voice2, 0, 0, 0xC0) + "ym0 44 e0, ym0 4c 58, ym0 4c 78, " +
                      voice(voice2, 0, 0x70, 0xC0) + note(0x284)) +
                at(2, off())},
        driver_case{"e6_after_f5_reads_other_voice",
                    fm1({0xEF, 0x00, 0xF5, 0x01, 0xE6, 0x01, 0x81, 0x01, 0xF2}), 4,
                    at(1, voice(voice0, 0, 0, 0xC0) +
                              "ym0 40 21, ym0 48 80, ym0 44 23, ym0 4c 11, " + note(0x284)) +
                        at(2, off())},
        driver_case{"e6_before_any_voice", fm1({0xE6, 0x05, 0x81, 0x01, 0xF2}), 4,
                    at(1, "ym0 4c 45, " + note(0x284)) + at(2, off())},
        driver_case{"e7_keeps_modulation",
                    fm1({0xF0, 0x00, 0x01, 0x01, 0x04, 0x81, 0x02, 0xE7, 0x82, 0x03, 0xF2}), 8,
                    at(1, note(0x284)) + at(2, freq(0x285)) + at(3, held(0x2AB)) +
                        at(4, freq(0x2AD)) + at(6, off())},
        driver_case{"e7_note_fill_cut_without_key_off",
                    fm1({0xE8, 0x02, 0x81, 0x01, 0xE7, 0x82, 0x05, 0xF2}), 9,
                    at(1, note(0x284)) + at(2, held(0x2AB)) + at(7, off())},
        driver_case{"e8_note_fill", fm1({0xE8, 0x02, 0x81, 0x05, 0x80, 0x01, 0xF2}), 9,
                    at(1, note(0x284)) + at(3, off()) + at(6, off()) + at(7, off())},
        driver_case{"e8_note_fill_cuts_a_rest_again", fm1({0xE8, 0x02, 0x80, 0x05, 0xF2}), 8,
                    at(1, off()) + at(3, off()) + at(6, off())},
        driver_case{"e7_before_a_rest_no_key_off", fm1({0x81, 0x01, 0xE7, 0x80, 0x02, 0xF2}), 6,
                    at(1, note(0x284)) + at(4, off())},
        driver_case{"ec_volume_for_next_voice", fm1({0xEC, 0x05, 0xEF, 0x00, 0x81, 0x01, 0xF2}), 4,
                    at(1, voice(voice0, 0, 5, 0xC0) + note(0x284)) + at(2, off())},
        driver_case{"ee_stops_and_reloads_fm4",
                    {1,
                     0,
                     {resting_drum,
                      {{0x81, 0x01, 0xEE, 0x81, 0x01}},
                      {{0x80, 0x7F, 0xF6, 0xFF, 0xFC}},
                      {{0x80, 0x7F, 0xF6, 0xFF, 0xFC}},
                      {{0xEF, 0x01, 0x81, 0x10, 0xF2}, 0, 3}},
                     {}},
                    20,
                    at(1, note(0x284) + ", " + off(1) + ", " + off(2) + ", " +
                              voice(voice1, 4, 3, 0xC0) + note(0x284, 4)) +
                        at(2, off() + ", " + voice(voice1, 4, 3, 0xC0)) + at(17, off(4))},
        driver_case{"f0_first_write_swing_and_detune",
                    fm1({0xE1, 0x01, 0xF0, 0x02, 0x03, 0x04, 0x03, 0x81, 0x20, 0xF2}), 36,
                    at(1, note(0x285)) + at(6, freq(0x289)) + at(12, freq(0x285)) +
                        at(15, freq(0x281)) + at(18, freq(0x27D)) + at(24, freq(0x281)) +
                        at(27, freq(0x285)) + at(30, freq(0x289)) + at(33, off())},
        driver_case{"f0_speed_0_is_256", fm1({0xF0, 0x00, 0x00, 0x01, 0x04, 0x81, 0x00, 0xF2}), 260,
                    at(1, note(0x284)) + at(257, freq(0x285)) + at(258, off())},
        driver_case{"f0_during_a_rest", fm1({0xF0, 0x00, 0x01, 0xF0, 0x04, 0x80, 0x03, 0xF2}), 6,
                    at(1, off()) + at(2, freq(0xFFF0)) + at(3, freq(0xFFE0)) + at(4, off())},
        driver_case{"f1_after_f0_uses_its_bytes",
                    fm1({0xF0, 0x00, 0x01, 0x01, 0x02, 0xF4, 0x81, 0x02, 0xF1, 0x81, 0x03, 0xF2}),
                    8, at(1, note(0x284)) + at(3, note(0x284)) + at(4, freq(0x285)) + at(6, off())},
        driver_case{"f1_without_f0_reads_rom_offset_0",
                    {1, 0, {resting_drum, {{0xF1, 0x81, 0x7F, 0xF2}}}, {{{0xF2}}}},
                    130,
                    at(1, note(0x284) + ", psg 9f") + at(128, off())},
        driver_case{"f1_without_f0_in_an_edited_rom", fm1({0xF1, 0x81, 0x04, 0xF2}), 7,
                    at(1, note(0x284)) + at(2, freq(0x287)) + at(3, freq(0x28A)) + at(5, off()), 1,
                    0, false, true},
        driver_case{"f6_jumps", fm1({0xF6, 0x00, 0x03, 0x81, 0x01, 0x82, 0x01, 0xF2}), 4,
                    at(1, note(0x2AB)) + at(2, off())},
        driver_case{"f7_count_0_is_256", fm1({0x81, 0x01, 0xF7, 0x00, 0x00, 0xFF, 0xFA, 0xF2}), 260,
                    at(255, note(0x284)) + at(257, note(0x284)) + at(258, off()), 255},
        driver_case{"f7_nested_two_counters",
                    fm1({0x81, 0x01, 0xF7, 0x00, 0x02, 0xFF, 0xFA, 0x82, 0x01, 0xF7, 0x01, 0x03,
                         0xFF, 0xF3, 0xF2}),
                    12,
                    at(1, note(0x284)) + at(2, note(0x284)) + at(3, note(0x2AB)) +
                        at(4, note(0x284)) + at(5, note(0x284)) + at(6, note(0x2AB)) +
                        at(7, note(0x284)) + at(8, note(0x284)) + at(9, note(0x2AB)) +
                        at(10, off())},
        // The call's return address lies over loop counter 8; the return zeroes it, so the
        // loop starts counting again every pass and never ends.
        driver_case{"call_shares_bytes_with_loop_counter_8",
                    fm1({0x81, 0x01, 0xF8, 0x00, 0x07, 0xF7, 0x08, 0x03, 0xFF, 0xF7, 0xF2, 0x82,
                         0x01, 0xE3}),
                    10,
                    at(1, note(0x284)) + at(2, note(0x2AB)) + at(3, note(0x284)) +
                        at(4, note(0x2AB)) + at(5, note(0x284)) + at(6, note(0x2AB)) +
                        at(7, note(0x284)) + at(8, note(0x2AB)) + at(9, note(0x284))},
        driver_case{"loop_counter_12_is_the_next_records_control",
                    {1,
                     0,
                     {resting_drum,
                      {{0x81, 0x01, 0xF7, 0x0C, 0x02, 0xFF, 0xFA, 0xF2}},
                      {{0x82, 0x01, 0x82, 0x01, 0xF2}}},
                     {}},
                    132,
                    loop_through_the_next_record()},
        driver_case{"every_channel_rule_and_f2",
                    {1,
                     0,
                     {{{0x81, 0x01, 0xF2}},
                      {{0x81, 0x01, 0xF2}},
                      {{0x81, 0x01, 0xF2}},
                      {{0x81, 0x01, 0xF2}},
                      {{0x81, 0x01, 0xF2}},
                      {{0xE0, 0x40, 0x81, 0x01, 0xF2}},
                      {{0x81, 0x01, 0xF2}}},
                     {{{0x81, 0x01, 0xF2}}, {{0x81, 0x01, 0xF2}}, {{0x81, 0x01, 0xF2}}}},
                    5,
                    at(1, every_channel_note()) +
                        at(3, "ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 04, ym0 28 05, ym0 28 06, "
                              "psg 9f, psg bf, psg df")}),
    name_of);

driver_case undefined_flag(const char* name, uint8_t flag) {
    return {name, fm1({0x81, 0x01, flag, 0x81, 0x01}), 6, at(1, note(0x284)), 1, 1};
}

INSTANTIATE_TEST_SUITE_P(undefined_flags, track_driver,
                         testing::Values(undefined_flag("fb", 0xFB), undefined_flag("fc", 0xFC),
                                         undefined_flag("fd", 0xFD), undefined_flag("fe", 0xFE),
                                         undefined_flag("ff", 0xFF)),
                         name_of);

INSTANTIATE_TEST_SUITE_P(
    psg, track_driver,
    testing::Values(
        driver_case{"e0_and_fa_consume_their_byte",
                    psg1({0xE0, 0x80, 0xFA, 0x81, 0x81, 0x01, 0xF2}), 4,
                    at(1, psg_c + ", psg 90") + at(2, "psg 9f")},
        driver_case{"e1_detune", psg1({0xE1, 0xFF, 0x81, 0x01, 0xE1, 0x10, 0x81, 0x01, 0xF2}), 5,
                    at(1, "psg 85, psg 35, psg 90") + at(2, "psg 86, psg 36, psg 90") +
                        at(3, "psg 9f")},
        driver_case{"e6_rewrites_tl_by_psg_vc", psg1({0xE6, 0x02, 0x81, 0x01, 0xF2}), 4,
                    at(1, "ym0 cc 42, " + psg_c + ", psg 92") + at(2, "psg 9f")},
        driver_case{"e7_keeps_note_fill_and_envelope",
                    psg1({0xE8, 0x03, 0x81, 0x02, 0xE7, 0x82, 0x04, 0xF2}, 0, 9), 9,
                    at(1, psg_c + ", psg 90") + at(2, "psg 91") + at(3, "psg 86, psg 32, psg 92") +
                        at(4, "psg 93") + at(5, "psg 9f") + at(7, "psg 9f")},
        driver_case{"e7_after_note_fill_cut_no_volume",
                    psg1({0xE8, 0x01, 0x81, 0x03, 0xE7, 0x82, 0x02, 0xF2}, 0, 9), 8,
                    at(1, psg_c + ", psg 90") + at(2, "psg 9f") + at(4, "psg 86, psg 32") +
                        at(6, "psg 9f")},
        driver_case{"e7_before_a_rest_note_off", psg1({0x81, 0x01, 0xE7, 0x80, 0x02, 0xF2}), 6,
                    at(1, psg_c + ", psg 90") + at(2, "psg 9f") + at(4, "psg 9f")},
        driver_case{"e8_note_fill", psg1({0xE8, 0x02, 0x81, 0x05, 0xF2}), 8,
                    at(1, psg_c + ", psg 90") + at(3, "psg 9f") + at(6, "psg 9f")},
        driver_case{"ec_and_volume_above_15_unclamped",
                    psg1({0x81, 0x01, 0xEC, 0x05, 0x81, 0x01, 0xEC, 0x4D, 0x81, 0x01, 0xF2}, 0x1E),
                    6,
                    at(1, psg_c + ", psg ae") + at(2, psg_c + ", psg b3") +
                        at(3, psg_c + ", psg 00") + at(4, "psg 9f")},
        driver_case{"ee_reloads_an_unfilled_fm4", psg1({0x81, 0x01, 0xEE, 0x81, 0x01}), 5,
                    at(1, psg_c + ", psg 90") + at(2, "ym0 28 80, " + voice(voice0, 0, 0, 0x00))},
        driver_case{"ef_writes_by_psg_vc", psg1({0xEF, 0x00, 0x81, 0x01, 0xF2}, 2), 4,
                    at(1, voice(voice0, 0x80, 2, 0x00) + psg_c + ", psg 92") + at(2, "psg 9f")},
        driver_case{"f0_not_during_a_rest",
                    psg1({0xF0, 0x00, 0x01, 0x01, 0x04, 0x80, 0x03, 0x81, 0x03, 0xF2}), 9,
                    at(1, "psg 9f") + at(4, psg_c + ", psg 90") + at(5, "psg 87, psg 35") +
                        at(6, "psg 88, psg 35") + at(7, "psg 9f")},
        driver_case{"f3_noise_on_psg1", psg1({0xF3, 0xE3, 0x81, 0x02, 0xF2}), 5,
                    at(1, "psg e3, psg c6, psg 35, psg f0") + at(3, "psg ff")},
        driver_case{"f5_envelope_number",
                    psg1({0xF5, 0x02, 0x81, 0x03, 0xF5, 0x00, 0x81, 0x01, 0xF2}), 7,
                    at(1, psg_c + ", psg 90") + at(2, "psg 92") + at(3, "psg 94") +
                        at(4, psg_c + ", psg 90") + at(5, "psg 9f")},
        driver_case{"f9_part_i_release", psg1({0xF9, 0x81, 0x01, 0xF2}), 4,
                    at(1, "ym0 88 0f, ym0 8c 0f, " + psg_c + ", psg 90") + at(2, "psg 9f")},
        driver_case{"envelope_clamps_and_holds_at_end_mark", psg1({0x81, 0x14, 0xF2}, 3, 9), 24,
                    at(1, psg_c + ", psg 93") + at(2, "psg 94") + at(3, "psg 95") +
                        at(4, "psg 96") + at(5, "psg 97") + at(6, "psg 98") + at(7, "psg 99") +
                        at(8, "psg 9a") + at(9, "psg 9b") + at(10, "psg 9c") + at(11, "psg 9d") +
                        at(12, "psg 9e") + at(13, "psg 9f") + at(14, "psg 9f") + at(15, "psg 9f") +
                        at(16, "psg 9f") + at(21, "psg 9f")},
        driver_case{"envelope_advances_during_a_rest",
                    psg1({0x80, 0x03, 0xE7, 0x81, 0x03, 0xF2}, 0, 2), 9,
                    at(1, "psg 9f") + at(4, psg_c + ", psg 96") + at(5, "psg 98") +
                        at(6, "psg 9f") + at(7, "psg 9f")},
        driver_case{"envelope_3", psg1({0x81, 0x14, 0xF2}, 0, 3), 22,
                    envelope_run({0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}, 21)},
        driver_case{"envelope_8", psg1({0x81, 0x30, 0xF2}, 0, 8), 50,
                    envelope_run({0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3,
                                  3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7},
                                 49)},
        driver_case{"envelope_past_9_is_none", psg1({0x81, 0x02, 0xF2}, 0, 10), 5,
                    at(1, psg_c + ", psg 90") + at(3, "psg 9f"), 1, 1, true}),
    name_of);

INSTANTIATE_TEST_SUITE_P(
    drum, track_driver,
    testing::Values(
        driver_case{"notes_bit_3_retrigger_rests_no_fill",
                    {1,
                     0,
                     {{{0xE8, 0x01, 0xF0, 0x00, 0x01, 0x01, 0x04, 0x98, 0x02, 0x02, 0x90, 0x01,
                        0x80, 0x01, 0x01, 0x87, 0x01, 0xF2},
                       5}},
                     {}},
                    12,
                    at(1, "drum 83") + at(3, "drum 83") + at(5, "drum 90") + at(8, "drum 87")},
        driver_case{"flags_act_on_fm6",
                    {1, 0, {{{0xEF, 0x00, 0xE0, 0x40, 0xE6, 0x01, 0x81, 0x01, 0xF2}, 0, 1}}, {}},
                    4,
                    at(1, voice(voice0, 6, 1, 0xC0) +
                              "ym1 b6 40, ym1 42 12, ym1 4a 22, ym1 46 32, ym1 4e 42, drum 81")},
        driver_case{"f2_ends_the_frame",
                    {1, 0, {{{0x80, 0x01, 0xF2}}}, {{{0x81, 0x03, 0xF2}}}},
                    8,
                    at(1, psg_c + ", psg 90") + at(5, "psg 9f")},
        driver_case{"ee_ends_the_frame",
                    {1, 0, {{{0x80, 0x01, 0xEE}}}, {{{0x81, 0x03, 0xF2}}}},
                    8,
                    at(1, psg_c + ", psg 90") + at(2, off(6) + ", " + voice(voice0, 0, 0, 0x00)) +
                        at(5, "psg 9f")},
        driver_case{"e4_stops_everything",
                    {1,
                     0,
                     {{{0x80, 0x02, 0xE4}}, {{0x81, 0x01, 0x81, 0x01, 0x81, 0x01, 0xF2}}},
                     {{{0x81, 0x01, 0x81, 0x01, 0x81, 0x01, 0xF2}}}},
                    8,
                    at(1, note(0x284) + ", " + psg_c + ", psg 90") +
                        at(2, note(0x284) + ", " + psg_c + ", psg 90"),
                    1,
                    any_messages},
        driver_case{"e4_on_fm1_skips_later_channels",
                    {1,
                     0,
                     {resting_drum, {{0x81, 0x02, 0xE4}}},
                     {{{0x81, 0x01, 0x81, 0x01, 0x81, 0x01, 0xF2}}}},
                    8,
                    at(1, note(0x284) + ", " + psg_c + ", psg 90") + at(2, psg_c + ", psg 90"),
                    1,
                    any_messages}),
    name_of);

test_track with_fm1_at(int32_t pointer, bytes stream) {
    return {1, 0, {resting_drum, {std::move(stream), 0, 0, 0, pointer}}, {{{0x81, 0x02, 0xF2}}}};
}

const std::string psg_plays = at(1, psg_c + ", psg 90") + at(3, "psg 9f");

INSTANTIATE_TEST_SUITE_P(
    outside_the_file, track_driver,
    testing::Values(
        driver_case{"stream_start", with_fm1_at(0xFFF0, {}), 40, psg_plays, 1, 1, true},
        driver_case{"jump", with_fm1_at(-1, {0x81, 0x01, 0xF6, 0x7F, 0x00}), 40,
                    at(1, note(0x284) + ", " + psg_c + ", psg 90") + at(3, "psg 9f"), 1, 1, true},
        driver_case{"call_backwards", with_fm1_at(-1, {0xF8, 0x80, 0x00}), 40, psg_plays, 1, 1,
                    true},
        driver_case{"voice", with_fm1_at(-1, {0xEF, 0xC8, 0x81, 0x01}), 40, psg_plays, 1, 1, true},
        driver_case{"voice_tl", with_fm1_at(-1, {0xF5, 0xC8, 0xE6, 0x01, 0x81, 0x01}), 40,
                    psg_plays, 1, 1, true}),
    name_of);

// Frame 0 for every FM entry count: FM6 silenced or the DAC off, then one key-off per FM
// record and one note-off per PSG record, filled or not.
struct start_case {
    uint8_t f;
    uint8_t p;
    std::string after_silence;
};

TEST(track_driver_start, frame_0_for_each_entry_count) {
    const std::string silence =
        "0: ym0 28 02, ym0 28 06, ym0 28 01, ym0 28 05, ym0 28 00, ym0 28 04, ym0 40 7f, ym1 40 "
        "7f, "
        "ym0 44 7f, ym1 44 7f, ym0 48 7f, ym1 48 7f, ym0 4c 7f, ym1 4c 7f, ym0 41 7f, ym1 41 7f, "
        "ym0 45 7f, ym1 45 7f, ym0 49 7f, ym1 49 7f, ym0 4d 7f, ym1 4d 7f, ym0 42 7f, ym1 42 7f, "
        "ym0 46 7f, ym1 46 7f, ym0 4a 7f, ym1 4a 7f, ym0 4e 7f, ym1 4e 7f, psg 9f, psg bf, psg df, "
        "psg ff, ";
    const std::string fm6 = "ym0 28 06, ym1 42 7f, ym1 4a 7f, ym1 46 7f, ym1 4e 7f, ym1 b6 c0, ";
    const std::vector<start_case> cases{{1, 0,
                                         fm6 + "ym0 28 00, ym0 28 00, ym0 28 00, ym0 28 00, ym0 28 "
                                               "00, ym0 28 00, psg 1f, psg 1f, psg 1f"},
                                        {2, 1,
                                         fm6 + "ym0 28 00, ym0 28 00, ym0 28 00, ym0 28 00, ym0 28 "
                                               "00, ym0 28 00, psg 9f, psg 1f, psg 1f"},
                                        {3, 2,
                                         fm6 + "ym0 28 00, ym0 28 01, ym0 28 00, ym0 28 00, ym0 28 "
                                               "00, ym0 28 00, psg 9f, psg bf, psg 1f"},
                                        {4, 3,
                                         fm6 + "ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 00, ym0 28 "
                                               "00, ym0 28 00, psg 9f, psg bf, psg df"},
                                        {5, 0,
                                         fm6 + "ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 04, ym0 28 "
                                               "00, ym0 28 00, psg 1f, psg 1f, psg 1f"},
                                        {6, 3,
                                         fm6 + "ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 04, ym0 28 "
                                               "05, ym0 28 00, psg 9f, psg bf, psg df"},
                                        {7, 1,
                                         "ym0 2b 00, ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 04, "
                                         "ym0 28 05, ym0 28 06, psg 9f, psg 1f, psg 1f"}};
    for (const start_case& c : cases) {
        const test_track shape{1, 0, std::vector<channel_spec>(c.f, {{0xF2}}),
                               std::vector<channel_spec>(c.p, {{0xF2}})};
        track_interpreter driver({assemble(shape), file_mode::bare_track, 0});
        ASSERT_TRUE(driver.valid()) << driver.problem();
        EXPECT_EQ(track_log(driver, 1), log_lines(silence + c.after_silence))
            << "F = " << int{c.f} << ", P = " << int{c.p};
    }
}

TEST(track_driver_start, refuses_entry_counts_outside_the_driver_and_short_headers) {
    const std::vector<std::pair<uint8_t, uint8_t>> counts{{0, 0},    {0, 3}, {8, 0},
                                                          {0xFF, 3}, {6, 4}, {1, 0xFF}};
    for (const auto& [f, p] : counts) {
        bytes track(64, 0xF2);
        track[0] = 0;
        track[1] = 60;
        track[2] = f;
        track[3] = p;
        track_interpreter driver({track, file_mode::bare_track, 0});
        EXPECT_FALSE(driver.valid()) << "F = " << int{f} << ", P = " << int{p};
        EXPECT_FALSE(driver.problem().empty());
    }
    bytes cut = assemble(
        {1, 0, std::vector<channel_spec>(6, {{0xF2}}), std::vector<channel_spec>(3, {{0xF2}})});
    cut.resize(40); // the header alone takes 48 bytes
    track_interpreter driver({cut, file_mode::bare_track, 0});
    EXPECT_FALSE(driver.valid());
    EXPECT_FALSE(driver.problem().empty());
}

} // namespace
} // namespace kavelo

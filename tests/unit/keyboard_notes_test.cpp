// Note names, the note -> block/F-number formula, the channel allocator and MIDI parsing.

#include "keyboard/midi_message.h"
#include "keyboard/note_pitch.h"
#include "keyboard/piano_layout.h"
#include "keyboard/voice_allocator.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kavelo {
namespace {

double cents(double a, double b) {
    return 1200.0 * std::log2(a / b);
}

TEST(note_pitch, covers_c0_to_g_sharp_8_and_refuses_above) {
    // C is F-number 644 in every octave; A4 440 Hz is 541 at block 5; the top is B7.
    const std::array<int, 3> pitches[] = {{12, 0, 644}, {69, 5, 541}, {107, 7, 1215}};
    for (const auto& [note, block, fnum] : pitches) {
        SCOPED_TRACE(note);
        const std::optional<fm_pitch> pitch = note_pitch(note);
        ASSERT_TRUE(pitch);
        EXPECT_EQ(pitch->block, block);
        EXPECT_NEAR(pitch->fnum, fnum, 1);
    }
    for (int32_t note = 0; note <= 116; ++note) {
        SCOPED_TRACE(note);
        const std::optional<fm_pitch> pitch = note_pitch(note);
        ASSERT_TRUE(pitch);
        EXPECT_LT(std::abs(cents(pitch_frequency(*pitch), note_frequency(note))), 3.0);
    }
    EXPECT_FALSE(note_pitch(117)); // above block 7, F-number 2047
    EXPECT_EQ(note_pitch(60)->a4_value(), 0x22);
    EXPECT_EQ(note_pitch(60)->a0_value(), 0x84);
}

TEST(note_names, read_and_write_scientific_pitch) {
    // Read as the render command's --note, which checks more names at their pitch.
    const std::pair<const char*, int32_t> names[] = {{"c-1", 0},  {"G9", 127}, {"Cb4", 59},
                                                     {"E#4", 65}, {"C", -1},   {"C#", -1},
                                                     {"C4x", -1}, {"C-2", -1}, {"G#9", -1}};
    for (const auto& [text, note] : names) {
        EXPECT_EQ(parse_note_name(text).value_or(-1), note) << text;
    }
    for (int32_t note = 0; note <= 127; ++note) {
        EXPECT_EQ(parse_note_name(note_name(note)).value_or(-1), note) << note_name(note);
    }
    EXPECT_EQ(note_name(58), "A#3");
}

TEST(voice_allocator, six_notes_then_the_oldest_held_is_taken_and_free_ones_by_release) {
    voice_allocator allocator;
    for (int32_t n = 0; n < 6; ++n) {
        EXPECT_EQ(allocator.note_on(60 + n).channel, n);
    }
    const channel_assignment seventh = allocator.note_on(70);
    EXPECT_EQ(seventh.channel, 0);
    EXPECT_EQ(seventh.stolen_note, 60);
    EXPECT_EQ(allocator.note_off(60), -1); // no longer held anywhere
    EXPECT_EQ(allocator.note_off(63), 3);
    // A free channel is preferred to any held one, even a newer held note's.
    EXPECT_EQ(allocator.note_on(71).channel, 3);
    EXPECT_EQ(allocator.note_on(71).channel, 3); // struck again where it is held
    EXPECT_EQ(allocator.note_on(72).channel, 1); // oldest held now
    // Held: 70, 72, 62, 71, 64, 65 on channels 0-5. Free channels go released longest ago
    // first.
    EXPECT_EQ(allocator.note_off(64), 4);
    EXPECT_EQ(allocator.note_off(72), 1);
    EXPECT_EQ(allocator.note_off(62), 2);
    EXPECT_EQ(allocator.note_on(80).channel, 4);
    EXPECT_EQ(allocator.note_on(81).channel, 1);
}

TEST(midi_message, note_on_and_off_on_any_channel) {
    using enum midi_kind;
    // Status in bits 0-7, note in 8-15, velocity in 16-23; "other" rows are a control change,
    // a clock, data bytes with bit 7 set and running-status data alone.
    const std::tuple<uint32_t, midi_kind, int, int, int> messages[] = {
        {0x403C9F, note_on, 15, 60, 64},  {0x003C95, note_off, 5, 60, 0},
        {0x40458A, note_off, 10, 69, 64}, {0x403CB0, other, 0, 0, 0},
        {0x40BC90, other, 0, 0, 0},       {0x80109C, other, 0, 0, 0},
        {0x00003C, other, 0, 0, 0}};
    for (const auto& [packed, kind, channel, note, velocity] : messages) {
        SCOPED_TRACE(packed);
        const midi_event e = parse_midi_short_message(packed);
        EXPECT_EQ(e.kind, kind);
        if (kind != other) {
            EXPECT_EQ(std::tuple(int{e.channel}, int{e.note}, int{e.velocity}),
                      std::tuple(channel, note, velocity));
        }
    }
}

TEST(piano_layout, black_keys_lie_over_white_ones_and_every_note_is_reachable) {
    const std::vector<piano_key> keys = piano_keys(48, 3, 660, 100); // C3 to C6
    ASSERT_EQ(keys.size(), 37u);
    // 22 white keys of 30 pixels; black keys 18 wide and 62 high around the lines.
    const std::array<int32_t, 3> points[] = {{21, 61, 49}, {21, 62, 48},  {89, 20, 52},
                                             {90, 20, 53}, {659, 50, 84}, {660, 50, -1},
                                             {-1, 50, -1}, {100, 100, -1}};
    for (const auto& [x, y, note] : points) {
        EXPECT_EQ(piano_note_at(keys, x, y), note) << x << "," << y;
    }
    for (const piano_key& k : keys) {
        EXPECT_EQ(piano_note_at(keys, (k.left + k.right) / 2, k.bottom - 1), k.note);
    }
}

TEST(piano_layout, tracker_rows_play_two_octaves) {
    const std::string lower = "ZSXDCVGBHNJM", upper = "Q2W3ER5T6Y7U";
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(tracker_key_semitone(static_cast<uint32_t>(lower[i])), i);
        EXPECT_EQ(tracker_key_semitone(static_cast<uint32_t>(upper[i])), 12 + i);
    }
    for (const uint32_t other : {uint32_t{'A'}, uint32_t{'1'}, uint32_t{'4'}, uint32_t{'z'},
                                 uint32_t{0x10}, uint32_t{0x15A}}) {
        EXPECT_EQ(tracker_key_semitone(other), -1) << other;
    }
}

} // namespace
} // namespace kavelo

// Note names, the note -> block/F-number formula, the channel allocator and MIDI parsing.

#include "fm/preview_render.h"
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

TEST(note_pitch, plays_the_preview_note_table_notes_b1_to_f_sharp_2) {
    // The preview's table is a hand-tuned one: within 5 cents of equal temperament, and
    // exactly the formula's value where it is in tune (C2, D2, D#2).
    for (int32_t i = 0; i < preview_note_count; ++i) {
        SCOPED_TRACE(i);
        const preview_note& entry = preview_note_table[i];
        const fm_pitch table{
            static_cast<uint8_t>(entry.block_fnum_high >> 3),
            static_cast<uint16_t>(((entry.block_fnum_high & 7) << 8) | entry.fnum_low)};
        const std::optional<fm_pitch> pitch = note_pitch(35 + i); // B1 upwards
        ASSERT_TRUE(pitch);
        EXPECT_EQ(pitch->block, table.block);
        EXPECT_LE(std::abs(pitch->fnum - table.fnum), 2);
        EXPECT_LT(std::abs(cents(pitch_frequency(table), note_frequency(35 + i))), 5.0);
        EXPECT_LT(std::abs(cents(pitch_frequency(*pitch), note_frequency(35 + i))), 1.5);
    }
    EXPECT_EQ(note_pitch(36)->fnum, 644);
    EXPECT_EQ(note_pitch(38)->fnum, 723);
    EXPECT_EQ(note_pitch(39)->fnum, 766);
    EXPECT_NEAR(pitch_frequency(*note_pitch(36)), 65.4, 0.05); // the core's own example
}

TEST(note_pitch, covers_c0_to_g_sharp_8_and_refuses_above) {
    struct expected {
        int32_t note;
        int block;
        int fnum;
    };
    for (const expected& e : {expected{12, 0, 644}, expected{24, 1, 644}, expected{60, 4, 644},
                              expected{69, 5, 541}, expected{96, 7, 644}, expected{107, 7, 1215}}) {
        SCOPED_TRACE(e.note);
        const std::optional<fm_pitch> pitch = note_pitch(e.note);
        ASSERT_TRUE(pitch);
        EXPECT_EQ(pitch->block, e.block);
        EXPECT_NEAR(pitch->fnum, e.fnum, 1);
    }
    for (int32_t note = 0; note <= 116; ++note) {
        SCOPED_TRACE(note);
        const std::optional<fm_pitch> pitch = note_pitch(note);
        ASSERT_TRUE(pitch);
        EXPECT_LT(std::abs(cents(pitch_frequency(*pitch), note_frequency(note))), 3.0);
    }
    EXPECT_FALSE(note_pitch(117)); // above block 7, F-number 2047
    EXPECT_FALSE(note_pitch(-1));
    EXPECT_EQ(note_pitch(60)->a4_value(), 0x22);
    EXPECT_EQ(note_pitch(60)->a0_value(), 0x84);
}

TEST(note_names, read_and_write_scientific_pitch) {
    struct named {
        const char* text;
        int32_t note;
    };
    for (const named& n :
         {named{"C4", 60}, named{"A4", 69}, named{"A#3", 58}, named{"Db5", 73}, named{"c-1", 0},
          named{"B-1", 11}, named{"G9", 127}, named{"Cb4", 59}, named{"E#4", 65}, named{"C10", -1},
          named{"H4", -1}, named{"C", -1}, named{"C#", -1}, named{"C4x", -1}, named{"", -1},
          named{"C-2", -1}, named{"G#9", -1}}) {
        SCOPED_TRACE(n.text);
        const std::optional<int32_t> note = parse_note_name(n.text);
        EXPECT_EQ(note.value_or(-1), n.note);
    }
    for (int32_t note = 0; note <= 127; ++note) {
        EXPECT_EQ(parse_note_name(note_name(note)).value_or(-1), note) << note_name(note);
    }
    EXPECT_EQ(note_name(58), "A#3");
    EXPECT_EQ(note_name(0), "C-1");
    EXPECT_NEAR(note_frequency(69), 440.0, 1e-9);
}

TEST(voice_allocator, six_notes_then_the_oldest_held_is_taken) {
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
}

TEST(voice_allocator, free_channels_in_release_order) {
    voice_allocator allocator;
    for (int32_t n = 0; n < 6; ++n) {
        allocator.note_on(60 + n);
    }
    allocator.note_off(64);
    allocator.note_off(61);
    allocator.note_off(62);
    EXPECT_EQ(allocator.note_on(80).channel, 4); // released longest ago
    EXPECT_EQ(allocator.note_on(81).channel, 1);
}

TEST(midi_message, note_on_and_off_on_any_channel) {
    struct parsed {
        uint32_t packed;
        midi_kind kind;
        uint8_t channel, note, velocity;
    };
    for (const parsed& p : {
             parsed{0x7F3C90, midi_kind::note_on, 0, 60, 127},
             parsed{0x403C9F, midi_kind::note_on, 15, 60, 64},
             parsed{0x003C95, midi_kind::note_off, 5, 60, 0}, // velocity 0
             parsed{0x40458A, midi_kind::note_off, 10, 69, 64},
             parsed{0x403CB0, midi_kind::other, 0, 0, 0}, // control change
             parsed{0x0000F8, midi_kind::other, 0, 0, 0}, // clock
             parsed{0x40BC90, midi_kind::other, 0, 0, 0}, // data byte with bit 7
             parsed{0x80109C, midi_kind::other, 0, 0, 0},
             parsed{0x00003C, midi_kind::other, 0, 0, 0}, // running-status data alone
         }) {
        SCOPED_TRACE(p.packed);
        const midi_event e = parse_midi_short_message(p.packed);
        EXPECT_EQ(e.kind, p.kind);
        if (p.kind != midi_kind::other) {
            EXPECT_EQ(e.channel, p.channel);
            EXPECT_EQ(e.note, p.note);
            EXPECT_EQ(e.velocity, p.velocity);
        }
    }
}

TEST(piano_layout, black_keys_lie_over_white_ones_and_every_note_is_reachable) {
    const std::vector<piano_key> keys = piano_keys(48, 3, 660, 100); // C3 to C6
    ASSERT_EQ(keys.size(), 37u);
    struct point {
        int32_t x, y, note;
    };
    // 22 white keys of 30 pixels; black keys 18 wide and 62 high around the lines.
    for (const point& p :
         {point{1, 99, 48}, point{15, 80, 48}, point{29, 70, 48}, point{30, 30, 49},
          point{21, 61, 49}, point{21, 62, 48}, point{45, 90, 50}, point{89, 20, 52},
          point{90, 20, 53}, point{659, 50, 84}, point{655, 10, 84}, point{660, 50, -1},
          point{-1, 50, -1}, point{100, 100, -1}}) {
        EXPECT_EQ(piano_note_at(keys, p.x, p.y), p.note) << p.x << "," << p.y;
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

// The Keyboard's synth: six channels, the oldest held note giving way, edits heard on the sounding
// notes without a new attack; and the envelope picture's curve and labels against that synth's own
// envelope.

#include "fm/fm_tables.h"
#include "keyboard/envelope_curve.h"
#include "keyboard/envelope_labels.h"
#include "keyboard/live_synth.h"
#include "keyboard/note_pitch.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

// Algorithm 7, every operator heard, slow decay, RR 4.
const voice_record voice = *voice_from_hex("07010101011f1f1f1f04040404020202022424242410101010");

TEST(live_synth, six_notes_sound_at_once_and_a_seventh_takes_the_oldest_channel) {
    live_synth synth;
    ASSERT_TRUE(synth.ready());
    synth.set_voice(voice);
    std::vector<int16_t> out(2 * 500);
    for (int32_t n = 0; n < 6; ++n) {
        EXPECT_EQ(synth.note_on(60 + n), n);
        synth.render(out, 500);
    }
    EXPECT_NE(out, std::vector<int16_t>(out.size(), 0));
    for (int32_t c = 0; c < 6; ++c) {
        EXPECT_GE(synth.operator_state(c, 0).env_phase, env_sustain) << c; // keyed on
    }
    // Channel 1's note is the oldest: the new one strikes it afresh from the attack.
    EXPECT_EQ(synth.note_on(72), 0);
    EXPECT_EQ(synth.operator_state(0, 0).env_phase, env_attack);
    EXPECT_EQ(synth.operator_state(0, 0).env_counter, 0);
    EXPECT_EQ(synth.held_note(0), 72);
    EXPECT_EQ(synth.note_on(200), -1); // no pitch
}

TEST(live_synth, an_edit_reaches_every_sounding_channel_without_a_new_attack) {
    live_synth synth;
    synth.set_voice(voice);
    for (int32_t note : {48, 67, 70, 71, 72, 80}) { // every channel of both parts
        synth.note_on(note);
    }
    std::vector<int16_t> out(2 * 3000);
    synth.render(out, 3000);
    const fm_operator before = synth.operator_state(3, 2);
    voice_record edited = voice;
    edited[22] = 0x30; // OP3 TL
    synth.set_voice(edited);
    for (int32_t c = 0; c < 6; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(synth.operator_state(c, 2).total_level, ((0x30 << 7) | 0x30) >> 2);
        EXPECT_NE(synth.operator_state(c, 0).env_phase, env_attack);
    }
    const fm_operator after = synth.operator_state(3, 2);
    EXPECT_EQ(after.env_counter, before.env_counter); // no retrigger, no jump
    EXPECT_EQ(after.env_phase, before.env_phase);
    EXPECT_EQ(after.phase, before.phase);
}

// Algorithm 7; each operator's rates a little different, so the register order shows.
voice_record test_voice(uint8_t rs, uint8_t ar, uint8_t d1r, uint8_t d2r, uint8_t d1l, uint8_t rr) {
    voice_record v{};
    v[0] = 0x07;
    for (int32_t op = 0; op < 4; ++op) {
        v[operator_byte(op, 0)] = 0x01;
        v[operator_byte(op, 1)] = static_cast<uint8_t>((rs << 6) | ((ar + op) & 0x1F));
        v[operator_byte(op, 2)] = static_cast<uint8_t>((d1r + 2 * op) & 0x1F);
        v[operator_byte(op, 3)] = d2r;
        v[operator_byte(op, 4)] = static_cast<uint8_t>((d1l << 4) | ((rr + op) & 15));
        v[operator_byte(op, 5)] = static_cast<uint8_t>(0x10 * op);
    }
    return v;
}

TEST(envelope_curve, follows_the_core_through_key_on_and_key_off) {
    const struct {
        const char* name;
        voice_record voice;
        int32_t note;
        uint32_t key_off, frames;
    } runs[] = {
        {"fast decay, released in sustain", test_voice(0, 28, 12, 6, 5, 7), 60, 20000, 30000},
        {"released during the attack", test_voice(1, 8, 10, 2, 3, 9), 45, 300, 6000},
        {"instant attack, key scale 3", test_voice(3, 31, 20, 18, 15, 12), 96, 4000, 12000},
        {"no attack rate", test_voice(0, 0, 5, 5, 5, 15), 60, 500, 3000},
    };
    const auto& curve = fm_shared_tables().attenuation_curve;
    for (const auto& r : runs) {
        SCOPED_TRACE(r.name);
        live_synth synth;
        synth.set_voice(r.voice);
        ASSERT_EQ(synth.note_on(r.note), 0);
        const uint8_t key_code = pitch_key_code(*note_pitch(r.note));
        std::vector<int16_t> frame(2);
        std::array<std::vector<int32_t>, 4> expected;
        for (int32_t op = 0; op < 4; ++op) {
            expected[op] = envelope_curve(r.voice, {op, key_code, r.key_off, r.frames, 1});
            ASSERT_EQ(expected[op].size(), r.frames + 1);
            EXPECT_EQ(expected[op][0], curve[0]); // keyed on, no frame rendered yet
        }
        for (uint32_t k = 1; k <= r.frames; ++k) {
            synth.render(frame, 1);
            for (int32_t op = 0; op < 4; ++op) {
                const auto counter = synth.operator_state(0, op).env_counter >> 16;
                ASSERT_EQ(curve[static_cast<std::size_t>(counter)], expected[op][k])
                    << "frame " << k << " op " << op;
            }
            if (k == r.key_off) {
                synth.note_off(r.note);
            }
        }
    }
}

TEST(envelope_curve, strides_and_picture_timing) {
    const voice_record voice = test_voice(0, 20, 10, 4, 6, 8);
    const std::vector<int32_t> every = envelope_curve(voice, {1, 16, 2000, 10000, 1});
    const std::vector<int32_t> tenth = envelope_curve(voice, {1, 16, 2000, 10000, 10});
    ASSERT_EQ(tenth.size(), 1001u);
    for (std::size_t i = 0; i < tenth.size(); ++i) {
        ASSERT_EQ(tenth[i], every[10 * i]);
    }
    const envelope_timing timing = envelope_picture_timing(voice, 16);
    EXPECT_GE(timing.key_off_frame, 44100u / 20);
    EXPECT_LE(timing.key_off_frame, 2u * 44100);
    EXPECT_GT(timing.frames, timing.key_off_frame);
    // At the end of the picture the slowest operator has released to silence.
    for (int32_t op = 0; op < 4; ++op) {
        const std::vector<int32_t> points =
            envelope_curve(voice, {op, 16, timing.key_off_frame, timing.frames, 1});
        EXPECT_EQ(points.back(), 4095) << op;
    }
    // Fast rates: the shortest hold and release of 50 ms each, far from the 2 s caps.
    const envelope_timing fast = envelope_picture_timing(test_voice(0, 28, 25, 0, 1, 12), 16);
    EXPECT_EQ(fast.key_off_frame, 44100u / 20);
    EXPECT_EQ(fast.frames, 2u * 44100 / 20);
    // A voice that never decays still gets a bounded picture.
    EXPECT_LE(envelope_picture_timing(test_voice(0, 0, 0, 0, 0, 0), 16).frames, 4u * 44100);
}

TEST(EnvelopeLabels, KeyOffLabelKeepsClearOfTheOperatorLegendAndOnTheRow) {
    // Mostly a row from 34 to 534 whose legend starts at 400, a label 40 wide and a gap of 3.
    const struct {
        const char* what;
        key_off_label_request request;
        label_place expected;
    } cases[] = {
        {"the last place right of the line", {354, 40, 3, 34, 534, 400}, {357, false}},
        {"too near the legend: left of the line", {355, 40, 3, 34, 534, 400}, {312, false}},
        {"inside the legend: below it, right", {440, 40, 3, 34, 534, 400}, {443, true}},
        {"at the row's end: below, left", {520, 40, 3, 34, 534, 400}, {477, true}},
        {"no room either side: below, at the start", {40, 60, 3, 34, 90, 60}, {34, true}},
    };
    for (const auto& c : cases) {
        const label_place got = place_key_off_label(c.request);
        EXPECT_EQ(got.left, c.expected.left) << c.what;
        EXPECT_EQ(got.below_legend, c.expected.below_legend) << c.what;
    }
}

} // namespace
} // namespace kavelo

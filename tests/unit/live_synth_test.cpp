// The Keyboard's synth: six channels, the oldest held note giving way, edits heard on the
// sounding notes without striking them again, key-off into the release.

#include "fm/fm_tables.h"
#include "keyboard/live_synth.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

// Algorithm 7, every operator heard, slow decay, RR 4.
const voice_record voice = *voice_from_hex("07010101011f1f1f1f04040404020202022424242410101010");

void render(live_synth& synth, uint32_t frames) {
    std::vector<int16_t> out(2 * std::size_t{frames});
    synth.render(out, frames);
}

TEST(live_synth, six_notes_sound_at_once_and_a_seventh_takes_the_oldest_channel) {
    live_synth synth;
    ASSERT_TRUE(synth.ready());
    synth.set_voice(voice);
    for (int32_t n = 0; n < 6; ++n) {
        EXPECT_EQ(synth.note_on(60 + n), n);
        render(synth, 500);
    }
    for (int32_t c = 0; c < 6; ++c) {
        EXPECT_GE(synth.operator_state(c, 0).env_phase, env_sustain) << c; // keyed on
    }
    // Channel 1's note is the oldest: the new one strikes it afresh from the attack.
    EXPECT_EQ(synth.note_on(72), 0);
    EXPECT_EQ(synth.operator_state(0, 0).env_phase, env_attack);
    EXPECT_EQ(synth.operator_state(0, 0).env_counter, 0);
    EXPECT_EQ(synth.held_note(0), 72);
    EXPECT_EQ(synth.note_off(60), -1);
    EXPECT_EQ(synth.note_off(63), 3);
    EXPECT_EQ(synth.operator_state(3, 0).env_phase, env_release);
    EXPECT_EQ(synth.note_on(200), -1); // no pitch
}

TEST(live_synth, an_edit_reaches_every_sounding_channel_without_a_new_attack) {
    live_synth synth;
    synth.set_voice(voice);
    synth.note_on(48);
    synth.note_on(67); // part II's first channel too, after 4 more
    for (int32_t n = 0; n < 3; ++n) {
        synth.note_on(70 + n);
    }
    synth.note_on(80);
    render(synth, 3000);
    const fm_operator before = synth.operator_state(3, 2);
    voice_record edited = voice;
    edited[22] = 0x30; // OP3 TL
    edited[7] = 0x1C;  // OP2 AR
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

TEST(live_synth, renders_the_notes_into_both_outputs_widened_from_eight_bits) {
    live_synth synth;
    synth.set_voice(voice);
    synth.note_on(69);
    std::vector<int16_t> out(2 * 4410);
    synth.render(out, 4410);
    int32_t loudest = 0;
    for (std::size_t i = 0; i < out.size(); i += 2) {
        EXPECT_EQ(out[i], out[i + 1]);
        EXPECT_EQ(out[i] % 256, 0);
        loudest = std::max<int32_t>(loudest, std::abs(out[i]));
    }
    EXPECT_GT(loudest, 1000);
}

} // namespace
} // namespace kavelo

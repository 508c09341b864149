// The envelope picture's curve against the core's own envelope: the Keyboard's synth keys
// a note on and off and the operator's attenuation is read after every frame.

#include "fm/fm_tables.h"
#include "keyboard/envelope_curve.h"
#include "keyboard/live_synth.h"
#include "keyboard/note_pitch.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

voice_record test_voice(uint8_t rs, uint8_t ar, uint8_t d1r, uint8_t d2r, uint8_t d1l, uint8_t rr) {
    voice_record voice{};
    voice[0] = 0x07; // algorithm 7: every operator heard
    for (int32_t op = 0; op < 4; ++op) {
        // Each operator a little different, so the register order is checked too.
        voice[operator_byte(op, 0)] = 0x01;
        voice[operator_byte(op, 1)] = static_cast<uint8_t>((rs << 6) | ((ar + op) & 0x1F));
        voice[operator_byte(op, 2)] = static_cast<uint8_t>((d1r + 2 * op) & 0x1F);
        voice[operator_byte(op, 3)] = static_cast<uint8_t>(d2r);
        voice[operator_byte(op, 4)] = static_cast<uint8_t>((d1l << 4) | ((rr + op) & 15));
        voice[operator_byte(op, 5)] = static_cast<uint8_t>(0x10 * op);
    }
    return voice;
}

TEST(envelope_curve, follows_the_core_through_key_on_and_key_off) {
    struct run {
        const char* name;
        voice_record voice;
        int32_t note;
        uint32_t key_off;
        uint32_t frames;
    };
    const run runs[] = {
        {"fast decay, released in sustain", test_voice(0, 28, 12, 6, 5, 7), 60, 20000, 30000},
        {"released during the attack", test_voice(1, 8, 10, 2, 3, 9), 45, 300, 6000},
        {"released during first decay", test_voice(2, 26, 3, 0, 12, 4), 72, 1500, 9000},
        {"instant attack, key scale 3", test_voice(3, 31, 20, 18, 15, 12), 96, 4000, 12000},
        {"no attack rate", test_voice(0, 0, 5, 5, 5, 15), 60, 500, 3000},
    };
    for (const run& r : runs) {
        SCOPED_TRACE(r.name);
        live_synth synth;
        ASSERT_TRUE(synth.ready());
        synth.set_voice(r.voice);
        const int32_t channel = synth.note_on(r.note);
        ASSERT_EQ(channel, 0);
        const uint8_t key_code = pitch_key_code(*note_pitch(r.note));
        const auto& curve = fm_shared_tables().attenuation_curve;
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
                const int32_t core =
                    curve[static_cast<std::size_t>(synth.operator_state(0, op).env_counter >> 16)];
                ASSERT_EQ(core, expected[op][k]) << "frame " << k << " op " << op;
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
    const envelope_timing held = envelope_picture_timing(test_voice(0, 0, 0, 0, 0, 0), 16);
    EXPECT_LE(held.frames, 4u * 44100);
}

} // namespace
} // namespace kavelo

// VGM logs made by hand: the player against the register-log player (the same writes and
// waits give the same bytes), the voices their key-ons make, and damaged files refused at the
// right offset; the voice extractor reads commands with the player's reader.

#include "fm/fm_script.h"
#include "vgm/vgm_player.h"
#include "vgm/vgm_voices.h"

#include <gtest/gtest.h>
#include <string>

namespace kavelo {
namespace {

struct vgm_builder {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(0x40, 0);
    std::string script;

    explicit vgm_builder(uint32_t clock = 7670453, uint32_t version = 0x150) {
        bytes[0] = 'V', bytes[1] = 'g', bytes[2] = 'm', bytes[3] = ' ';
        put32(0x08, version);
        put32(0x2C, clock);
        put32(0x34, 0x0C); // data at 0x40
        script = "init 1 " + std::to_string(clock ? clock : vgm_default_clock) + " 44100\n";
    }
    void put32(std::size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    void raw(std::initializer_list<uint8_t> command) { bytes.insert(bytes.end(), command); }
    void write(int part, uint8_t reg, uint8_t value) {
        raw({static_cast<uint8_t>(0x52 + part), reg, value});
        script += "write 0 " + std::to_string(2 * part) + " " + std::to_string(reg) + "\n";
        script += "write 0 " + std::to_string(2 * part + 1) + " " + std::to_string(value) + "\n";
    }
    // A DAC byte as a stream writes it: register 0x2A of part I, in the reference script only.
    void dac(uint8_t value) { script += "write 0 0 42\nwrite 0 1 " + std::to_string(value) + "\n"; }
    void key(uint8_t value) { write(0, 0x28, value); }
    // Loads a working-order record into channel c (0-2) of a part: byte 0 to 0xB0, bytes
    // 1-4 to 0x3C, 0x38, 0x34, 0x30, and so on for 0x5C.., 0x6C.., 0x7C.., 0x8C.., 0x4C..
    void load(int part, uint8_t c, const voice_record& v) {
        write(part, 0xB0 + c, v[0]);
        const uint8_t groups[6] = {0x3C, 0x5C, 0x6C, 0x7C, 0x8C, 0x4C};
        for (int g = 0; g < 6; ++g) {
            for (int k = 0; k < 4; ++k) {
                write(part, static_cast<uint8_t>(groups[g] - 4 * k + c), v[1 + 4 * g + k]);
            }
        }
    }
    void frames(int32_t n) {
        if (n > 0) {
            script += "update 0 " + std::to_string(n) + "\n";
        }
    }
    std::vector<int8_t> expected() const {
        fm_script_output output;
        fm_script_result error = run_fm_script(script, output);
        EXPECT_TRUE(error.done()) << error.problem;
        return output.samples;
    }
};

void add_voice(vgm_builder& vgm, int part, uint8_t ch) {
    vgm.write(part, 0xB0 + ch, 0x32);
    for (uint8_t k = 0; k < 4; ++k) {
        vgm.write(part, 0x30 + 4 * k + ch, static_cast<uint8_t>(0x21 + k));
        vgm.write(part, 0x40 + 4 * k + ch, static_cast<uint8_t>(k == 3 ? 0 : 0x18));
        vgm.write(part, 0x50 + 4 * k + ch, 0x5C);
        vgm.write(part, 0x60 + 4 * k + ch, 0x08);
        vgm.write(part, 0x80 + 4 * k + ch, 0x27);
    }
    vgm.write(part, 0xA4 + ch, 0x22);
    vgm.write(part, 0xA0 + ch, 0x69);
}

TEST(fm_vgm, plays_writes_waits_and_dac_like_the_register_log) {
    vgm_builder vgm(0x80000000u | 7670453); // the dual-chip bit is not part of the clock
    vgm.script = "init 1 7670453 44100\n";
    vgm.raw({0x67, 0x66, 0x00, 4, 0, 0, 0, 0x10, 0x90, 0xF0, 0x20}); // DAC data bank
    vgm.raw({0x67, 0x66, 0xC0, 2, 0, 0, 0, 0xEE, 0xEE});             // another chip's block
    add_voice(vgm, 0, 1);
    add_voice(vgm, 1, 2);
    vgm.write(0, 0x28, 0xF1);
    vgm.write(0, 0x28, 0xF6);
    vgm.raw({0x61, 0x10, 0x02}); // 528 frames
    vgm.frames(528);
    vgm.raw({0x50, 0x9F, 0xB0, 0x01, 0x02, 0xC0, 1, 2, 3, 0xE1, 1, 2, 3, 4, 0x4F, 0x00});
    // A DAC stream of another chip (type 0x00) plays nothing here.
    vgm.raw(
        {0x90, 0, 0, 0, 0x2A, 0x92, 0, 1, 2, 3, 4, 0x93, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x94, 0});
    vgm.raw({0x62, 0x63, 0x70, 0x7F});
    vgm.frames(735 + 882 + 1 + 16);
    vgm.write(0, 0x2B, 0x80);
    for (uint8_t dac : {0x10, 0x90}) { // 0x8n: the next bank byte to 0x2A, then n frames
        vgm.raw({0x83});
        vgm.dac(dac);
        vgm.frames(3);
    }
    vgm.raw({0xE0, 0, 0, 0, 0}); // back to the first byte
    vgm.raw({0x80, 0x81});
    vgm.dac(0x10);
    vgm.dac(0x90);
    vgm.frames(1);
    vgm.raw({0x61, 0, 0, 0x66, 0x62}); // a wait of 0 renders nothing; nothing after the end
    std::vector<int8_t> samples;
    vgm_result error = play_vgm(vgm.bytes, -1, samples);
    ASSERT_TRUE(error.done()) << error.offset << ": " << error.problem;
    const std::vector<int8_t> expected = vgm.expected();
    EXPECT_EQ(samples.size(), 2u * (528 + 735 + 882 + 1 + 16 + 3 + 3 + 1));
    EXPECT_EQ(samples, expected);
    EXPECT_NE(samples, std::vector<int8_t>(samples.size(), 0));

    std::vector<int8_t> first;
    error = play_vgm(vgm.bytes, 600, first);
    ASSERT_TRUE(error.done());
    EXPECT_EQ(first, std::vector<int8_t>(expected.begin(), expected.begin() + 1200));
}

TEST(fm_vgm, dac_streams_write_0x2a_at_their_frequency) {
    vgm_builder vgm;
    vgm.raw({0x67, 0x66, 0x00, 8, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80});
    vgm.raw({0x67, 0x66, 0x00, 3, 0, 0, 0, 0xA0, 0xB0, 0xC0}); // block 1, bank bytes 8-10
    vgm.write(0, 0x2B, 0x80);
    vgm.write(1, 0xB6, 0xC0);
    // Stream 0 on YM2612 register 0x2A at 17640 Hz: one write every 2.5 frames, so the
    // writes since a start at frame s land before frames s + 0, 3, 5, 8, 10, ...
    vgm.raw({0x90, 0, 0x02, 0, 0x2A, 0x91, 0, 0x00, 2, 1, 0x92, 0, 0xE8, 0x44, 0, 0});
    // Three commands from bank byte 0 + base 1, step 2: 0x20, 0x40, 0x60 at frames 0, 3, 5.
    vgm.raw({0x93, 0, 0, 0, 0, 0, 0x01, 3, 0, 0, 0, 0x61, 12, 0});
    vgm.dac(0x20), vgm.frames(3), vgm.dac(0x40), vgm.frames(2), vgm.dac(0x60), vgm.frames(7);
    // Fast start of block 1, step 1: 0xA0, 0xB0, 0xC0 at frames 12, 15, 17, then its end.
    vgm.raw({0x91, 0, 0x00, 1, 0, 0x95, 0, 1, 0, 0, 0x61, 10, 0});
    vgm.dac(0xA0), vgm.frames(3), vgm.dac(0xB0), vgm.frames(2), vgm.dac(0xC0), vgm.frames(5);
    // From byte 6 to the data's end, stopped by 0x94 after 0x70 (22) and 0x80 (25).
    vgm.raw({0x93, 0, 6, 0, 0, 0, 0x03, 0, 0, 0, 0, 0x61, 4, 0, 0x94, 0, 0x61, 5, 0});
    vgm.dac(0x70), vgm.frames(3), vgm.dac(0x80), vgm.frames(1), vgm.frames(5);
    // Block 1 backwards, looping, from frame 31: 0xC0, 0xB0, 0xA0, 0xC0 again at 39; then
    // 0x94 0xFF stops every stream.
    vgm.raw({0x95, 0, 1, 0, 0x11, 0x61, 9, 0, 0x94, 0xFF, 0x61, 2, 0, 0x66});
    vgm.dac(0xC0), vgm.frames(3), vgm.dac(0xB0), vgm.frames(2), vgm.dac(0xA0), vgm.frames(3);
    vgm.dac(0xC0), vgm.frames(1), vgm.frames(2);

    std::vector<int8_t> samples;
    vgm_result error = play_vgm(vgm.bytes, -1, samples);
    ASSERT_TRUE(error.done()) << error.offset << ": " << error.problem;
    EXPECT_EQ(samples.size(), 2u * 42);
    EXPECT_EQ(samples, vgm.expected());
    EXPECT_NE(samples[0], samples[2 * 30]); // the DAC is heard
}

TEST(fm_vgm, a_new_frequency_counts_the_stream_s_writes_afresh) {
    vgm_builder vgm;
    vgm.raw({0x67, 0x66, 0x00, 4, 0, 0, 0, 0x10, 0x20, 0x30, 0x40});
    vgm.write(0, 0x2B, 0x80);
    vgm.write(1, 0xB6, 0xC0);
    // 17640 Hz from byte 0 to the end of the data: writes before frames 0 and 3; at frame 4
    // 44100 Hz, one write a frame from there: before frames 4 and 5, then the data ends.
    vgm.raw({0x90, 0, 0x02, 0, 0x2A, 0x91, 0, 0x00, 1, 0, 0x92, 0, 0xE8, 0x44, 0, 0});
    vgm.raw({0x93, 0, 0, 0, 0, 0, 0x03, 0, 0, 0, 0, 0x61, 4, 0});
    vgm.raw({0x92, 0, 0x44, 0xAC, 0, 0, 0x61, 4, 0, 0x66});
    vgm.dac(0x10), vgm.frames(3), vgm.dac(0x20), vgm.frames(1), vgm.dac(0x30), vgm.frames(1),
        vgm.dac(0x40);
    vgm.frames(3);
    std::vector<int8_t> samples;
    vgm_result error = play_vgm(vgm.bytes, -1, samples);
    ASSERT_TRUE(error.done()) << error.offset << ": " << error.problem;
    EXPECT_EQ(samples, vgm.expected());
}

TEST(fm_vgm, clock_from_the_header) {
    EXPECT_EQ(vgm_ym2612_clock(vgm_builder(8000000).bytes), 8000000);
    EXPECT_EQ(vgm_ym2612_clock(vgm_builder(0).bytes), vgm_default_clock);
    vgm_builder old(0, 0x101);
    old.put32(0x10, 7600000); // before 1.10 the YM2612 shares this field
    EXPECT_EQ(vgm_ym2612_clock(old.bytes), 7600000);
}

TEST(fm_vgm, damaged_files_and_streams_it_cannot_follow_are_refused_at_the_command) {
    // After a block of another chip (8 bytes at 0x40), which is no data block 0.
    const std::vector<uint8_t> other = {0x67, 0x66, 0x01, 1, 0, 0, 0, 0x00};
    struct bad_case {
        std::vector<uint8_t> tail;
        std::size_t offset;
        const char* problem = "";
    };
    const bad_case cases[] = {
        {{0x61, 0x10}, 0x40, "ends inside command 0x61"},
        {{0x70, 0x01, 0x66}, 0x41, "unknown command 0x01"},
        {{0x70}, 0x41}, // no end command
        {{0x67, 0x66, 0x00, 9, 0, 0, 0, 1}, 0x40, "data block of 9 bytes"},
        {{0x67, 0x00, 0x00, 0, 0, 0, 0, 0x66}, 0x40, "0x66 marker"},
        {{0x67, 0x66, 0x40, 1, 0, 0, 0, 0xAA, 0x66}, 0x40},    // compressed YM2612 samples
        {{0x90, 0, 2, 0, 0x2A, 0x95, 0, 0, 0, 0, 0x66}, 0x45}, // no data block 0
        {{0x90, 0, 2, 0, 0x2A, 0x93, 0, 0, 0, 0, 0, 0x04, 1, 0, 0, 0, 0x66}, 0x45}, // mode 4
        {{0x90, 0, 2, 0, 0x2A, 0x92, 0, 0x41, 0x42, 0x0F, 0, 0x95, 0, 0, 0, 0, 0x66}, 0x4B},
    };
    for (const bad_case& c : cases) {
        for (const bool after_other : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(c.tail[0]) << (after_other ? " after" : ""));
            vgm_builder vgm;
            if (after_other) {
                vgm.bytes.insert(vgm.bytes.end(), other.begin(), other.end());
            }
            vgm.bytes.insert(vgm.bytes.end(), c.tail.begin(), c.tail.end());
            std::vector<int8_t> samples;
            vgm_result error = play_vgm(vgm.bytes, -1, samples);
            EXPECT_EQ(error.code, result_refused);
            EXPECT_EQ(error.offset, c.offset + (after_other ? other.size() : 0));
            EXPECT_FALSE(error.problem.empty());
            EXPECT_NE(error.problem.find(c.problem), std::string::npos) << error.problem;
        }
    }
    std::vector<int8_t> samples;
    vgm_result error = play_vgm(std::vector<uint8_t>(0x40, 0), -1, samples);
    EXPECT_NE(error.problem.find("not a VGM file"), std::string::npos) << error.problem;
    vgm_builder fast(1000000000);
    fast.raw({0x66});
    error = play_vgm(fast.bytes, -1, samples);
    EXPECT_FALSE(error.done()); // beyond the core's range
}

voice_record hex(const char* text) {
    return voice_from_hex(text).value();
}

// Two different voices and volume variants of the first (algorithm 4: carriers OP4, OP3);
// the CLI's voices --merge-volume checks variants on several channels.
const voice_record lead_voice = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f10202a30");
const voice_record bass = hex("3a010203045f5e5d5c8182838405060708a1a2a3a400111f22");
const voice_record lead_soft = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f18282a30");
const voice_record lead_loud = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f08182a30");
// Differs from the lead voice in a modulator level (OP2): another instrument, not a volume step.
const voice_record lead_bright = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f10201a30");

struct rule_case {
    const char* what;
    void (*make)(vgm_builder&);
    std::vector<vgm_voice> voices;
    bool merge_volume = false;
    bool end_command = true;
};

TEST(vgm_voices, key_ons_make_voices_by_the_rule) {
    const rule_case cases[] = {
        {"a changed voice is a new record; merged, louder carriers are a volume step of it",
         [](vgm_builder& log) {
             log.load(0, 0, lead_voice);
             log.key(0xF0);
             log.write(0, 0x44, 0x1A); // OP2 TL: another instrument
             log.key(0xF0);
             log.write(0, 0x44, 0x2A);
             log.write(0, 0x4C, 0x08); // OP4 and OP3 TL: the same one, louder
             log.write(0, 0x48, 0x18);
             log.key(0xF0);
         },
         {{lead_loud, 1, 2, "ch1 #2"}, {lead_bright, 1, 1, "ch1 #1"}},
         true},
        {"part II channels 4-6; slots 3 and 7 name no channel; one operator keys, key-off does "
         "not",
         [](vgm_builder& log) {
             log.load(1, 0, bass);
             log.load(1, 2, lead_voice);
             log.load(0, 0, lead_soft); // same registers in part I: not what 0xF4 keys
             log.key(0xF6);
             log.key(0xF4);
             log.key(0xF3);
             log.key(0xF7);
             log.key(0x04);
             log.key(0x14);
         },
         {{lead_voice, 6, 1, "ch6 #1"}, {bass, 4, 2, "ch4 #2"}}},
        {"channel 6 is skipped while the DAC is on",
         [](vgm_builder& log) {
             log.load(1, 2, lead_voice);
             log.write(0, 0x2B, 0x80);
             log.key(0xF6);
             log.write(1, 0x2B, 0x00); // part II has no DAC switch
             log.key(0xF6);
             log.write(0, 0x2B, 0x00);
             log.key(0xF6);
         },
         {{lead_voice, 6, 1, "ch6 #1"}}},
        {"bits no field uses are cleared; a log may end without 0x66",
         [](vgm_builder& log) {
             for (int reg = 0x30; reg < 0xB8; ++reg) {
                 log.write(0, static_cast<uint8_t>(reg), 0xFF);
             }
             log.key(0xF1);
         },
         {{hex("3f7f7f7f7fdfdfdfdf9f9f9f9f1f1f1f1fffffffff7f7f7f7f"), 2, 1, "ch2 #1"}},
         false,
         false},
    };
    for (const rule_case& c : cases) {
        SCOPED_TRACE(c.what);
        vgm_builder log;
        c.make(log);
        if (c.end_command) {
            log.raw({0x66});
        }
        std::vector<vgm_voice> voices;
        const vgm_result error = extract_vgm_voices(log.bytes, voices);
        ASSERT_TRUE(error.done()) << error.problem;
        if (c.merge_volume) {
            voices = merge_volume_variants(voices);
        }
        ASSERT_EQ(voices.size(), c.voices.size());
        for (std::size_t i = 0; i < voices.size(); ++i) {
            const vgm_voice& e = c.voices[i];
            EXPECT_EQ(std::tie(voices[i].channel, voices[i].key_ons, voices[i].name),
                      std::tie(e.channel, e.key_ons, e.name));
            EXPECT_EQ(voice_to_hex(voices[i].voice), voice_to_hex(e.voice)) << i;
        }
    }
}

TEST(vgm_voices, names_fit_a_bank_entry) {
    // At most 10 characters: five digits and a unit would be 11.
    const std::pair<int64_t, const char*> cases[] = {
        {99999, "ch6 #99999"}, {123456, "ch6 #123k"}, {INT64_MAX, "ch6 #9223P"}};
    for (const auto& [key_ons, name] : cases) {
        EXPECT_EQ(vgm_voice_name(6, key_ons), name) << key_ons;
    }
}

} // namespace
} // namespace kavelo

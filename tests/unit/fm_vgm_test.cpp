// The VGM player against the register-log player: the same writes and waits must give the
// same bytes, and damaged files must give an error at the right offset.

#include "fm/fm_script.h"
#include "fm/vgm_player.h"

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
    void frames(int32_t n) {
        if (n > 0) {
            script += "update 0 " + std::to_string(n) + "\n";
        }
    }
    std::vector<int8_t> expected() const {
        fm_script_output output;
        fm_script_error error;
        EXPECT_TRUE(run_fm_script(script, output, error)) << error.problem;
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
    vgm.raw(
        {0x90, 0, 2, 0, 0x2A, 0x92, 0, 1, 2, 3, 4, 0x93, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x94, 0});
    vgm.raw({0x62, 0x63, 0x70, 0x7F});
    vgm.frames(735);
    vgm.frames(882);
    vgm.frames(1);
    vgm.frames(16);
    vgm.write(0, 0x2B, 0x80);
    for (uint8_t dac : {0x10, 0x90}) { // 0x8n: the next bank byte to 0x2A, then n frames
        vgm.raw({0x83});
        vgm.write(0, 0x2A, dac);
        vgm.bytes.resize(vgm.bytes.size() - 3);
        vgm.frames(3);
    }
    vgm.raw({0xE0, 0, 0, 0, 0}); // back to the first byte
    vgm.raw({0x80, 0x81});
    vgm.write(0, 0x2A, 0x10);
    vgm.bytes.resize(vgm.bytes.size() - 3);
    vgm.write(0, 0x2A, 0x90);
    vgm.bytes.resize(vgm.bytes.size() - 3);
    vgm.frames(1);
    vgm.raw({0x61, 0, 0, 0x66, 0x62}); // a wait of 0 renders nothing; nothing after the end
    std::vector<int8_t> samples;
    vgm_error error;
    ASSERT_TRUE(play_vgm(vgm.bytes, -1, samples, error)) << error.offset << ": " << error.problem;
    const std::vector<int8_t> expected = vgm.expected();
    EXPECT_EQ(samples.size(), 2u * (528 + 735 + 882 + 1 + 16 + 3 + 3 + 1));
    EXPECT_EQ(samples, expected);
    EXPECT_NE(samples, std::vector<int8_t>(samples.size(), 0));

    std::vector<int8_t> first;
    ASSERT_TRUE(play_vgm(vgm.bytes, 600, first, error));
    EXPECT_EQ(first, std::vector<int8_t>(expected.begin(), expected.begin() + 1200));
}

TEST(fm_vgm, clock_from_the_header) {
    EXPECT_EQ(vgm_ym2612_clock(vgm_builder(8000000).bytes), 8000000);
    EXPECT_EQ(vgm_ym2612_clock(vgm_builder(0).bytes), vgm_default_clock);
    vgm_builder old(0, 0x101);
    old.put32(0x10, 7600000); // before 1.10 the YM2612 shares this field
    EXPECT_EQ(vgm_ym2612_clock(old.bytes), 7600000);
}

TEST(fm_vgm, damaged_files_are_refused_at_the_command) {
    struct bad_case {
        std::vector<uint8_t> tail;
        std::size_t offset;
    };
    const bad_case cases[] = {
        {{0x61, 0x10}, 0x40},                      // wait cut short
        {{0x52, 0x28}, 0x40},                      // write cut short
        {{0x70, 0x01, 0x66}, 0x41},                // unknown command
        {{0x70}, 0x41},                            // no end command
        {{0x67, 0x66, 0x00, 9, 0, 0, 0, 1}, 0x40}, // data block longer than the file
        {{0x67, 0x00, 0x00, 0, 0, 0, 0, 0x66}, 0x40},
        {{0x80, 0x66}, 0x40}, // DAC byte from an empty bank
        {{0x93, 0, 1, 2}, 0x40},
    };
    for (const bad_case& c : cases) {
        vgm_builder vgm;
        vgm.bytes.insert(vgm.bytes.end(), c.tail.begin(), c.tail.end());
        std::vector<int8_t> samples;
        vgm_error error;
        EXPECT_FALSE(play_vgm(vgm.bytes, -1, samples, error)) << int(c.tail[0]);
        EXPECT_EQ(error.offset, c.offset) << int(c.tail[0]);
        EXPECT_FALSE(error.problem.empty());
    }
    std::vector<int8_t> samples;
    vgm_error error;
    EXPECT_FALSE(play_vgm(std::vector<uint8_t>(0x40, 0), -1, samples, error));
    vgm_builder past;
    past.put32(0x34, 0x100);
    EXPECT_FALSE(play_vgm(past.bytes, -1, samples, error));
    vgm_builder fast(1000000000);
    fast.raw({0x66});
    EXPECT_FALSE(play_vgm(fast.bytes, -1, samples, error)); // beyond the core's range
}

} // namespace
} // namespace kavelo

// Voice extraction from hand-made VGM logs: which key-ons make voices, how records are
// built from the registers, duplicates, volume variants, and damaged logs.

#include "vgm/vgm_voices.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kavelo {
namespace {

struct log_builder {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(0x40, 0);

    log_builder() {
        bytes[0] = 'V', bytes[1] = 'g', bytes[2] = 'm', bytes[3] = ' ';
        bytes[0x08] = 0x50, bytes[0x09] = 0x01; // version 1.50
        bytes[0x34] = 0x0C;                     // data at 0x40
    }
    void raw(std::initializer_list<uint8_t> command) { bytes.insert(bytes.end(), command); }
    void write(int part, uint8_t reg, uint8_t value) {
        raw({static_cast<uint8_t>(0x52 + part), reg, value});
    }
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
};

voice_record hex(const char* text) {
    return voice_from_hex(text).value();
}

// Two different voices and a volume variant of the first (algorithm 4: carriers OP4, OP3).
const voice_record lead = hex("04"
                              "71320131"
                              "1f1f1f1f"
                              "0a0b0c0d"
                              "01020304"
                              "1f2f3f4f"
                              "10202a30");
const voice_record bass = hex("3a"
                              "01020304"
                              "5f5e5d5c"
                              "81828384"
                              "05060708"
                              "a1a2a3a4"
                              "00111f22");
const voice_record lead_soft = hex("04"
                                   "71320131"
                                   "1f1f1f1f"
                                   "0a0b0c0d"
                                   "01020304"
                                   "1f2f3f4f"
                                   "18282a30");
const voice_record lead_loud = hex("04"
                                   "71320131"
                                   "1f1f1f1f"
                                   "0a0b0c0d"
                                   "01020304"
                                   "1f2f3f4f"
                                   "08182a30");
// Differs from lead in a modulator level (OP2): another instrument, not a volume step.
const voice_record lead_bright = hex("04"
                                     "71320131"
                                     "1f1f1f1f"
                                     "0a0b0c0d"
                                     "01020304"
                                     "1f2f3f4f"
                                     "10201a30");

struct expected_voice {
    voice_record voice;
    int32_t channel;
    int64_t key_ons;
    const char* name;
};

struct rule_case {
    const char* what;
    void (*make)(log_builder&);
    std::vector<expected_voice> voices;
    bool merge_volume = false;
};

void expect_voices(const rule_case& c) {
    log_builder log;
    c.make(log);
    log.raw({0x66});
    std::vector<vgm_voice> voices;
    vgm_error error;
    ASSERT_TRUE(extract_vgm_voices(log.bytes, voices, error)) << c.what << ": " << error.problem;
    if (c.merge_volume) {
        voices = merge_volume_variants(voices);
    }
    ASSERT_EQ(voices.size(), c.voices.size()) << c.what;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        EXPECT_EQ(voice_to_hex(voices[i].voice), voice_to_hex(c.voices[i].voice))
            << c.what << " voice " << i;
        EXPECT_EQ(voices[i].channel, c.voices[i].channel) << c.what << " voice " << i;
        EXPECT_EQ(voices[i].key_ons, c.voices[i].key_ons) << c.what << " voice " << i;
        EXPECT_EQ(voices[i].name, c.voices[i].name) << c.what << " voice " << i;
    }
}

TEST(vgm_voices, key_ons_make_voices_by_the_rule) {
    const rule_case cases[] = {
        {"two channels, listed by first key-on",
         [](log_builder& log) {
             log.load(0, 0, lead);
             log.load(0, 1, bass);
             log.key(0xF1);
             log.key(0xF0);
         },
         {{bass, 2, 1, "ch2 #1"}, {lead, 1, 1, "ch1 #1"}}},
        {"a duplicate on another channel counts for the first",
         [](log_builder& log) {
             log.load(0, 0, lead);
             log.load(0, 2, lead);
             log.key(0xF0);
             log.key(0x00); // key-off: not counted
             log.key(0xF2);
             log.key(0x10); // one operator is enough
         },
         {{lead, 1, 3, "ch1 #3"}}},
        {"a voice changed between key-ons is a new record",
         [](log_builder& log) {
             log.load(0, 0, lead);
             log.key(0xF0);
             log.write(0, 0x44, 0x1A); // OP2 TL
             log.key(0xF0);
             log.write(0, 0x44, 0x2A);
             log.key(0xF0);
         },
         {{lead, 1, 2, "ch1 #2"}, {lead_bright, 1, 1, "ch1 #1"}}},
        {"part II channels 4-6; slots 3 and 7 name no channel",
         [](log_builder& log) {
             log.load(1, 0, bass);
             log.load(1, 2, lead);
             log.load(0, 0, lead_soft); // same registers in part I: not what 0xF4 keys
             log.key(0xF6);
             log.key(0xF4);
             log.key(0xF3);
             log.key(0xF7);
         },
         {{lead, 6, 1, "ch6 #1"}, {bass, 4, 1, "ch4 #1"}}},
        {"channel 6 is skipped while the DAC is on",
         [](log_builder& log) {
             log.load(1, 2, lead);
             log.write(0, 0x2B, 0x80);
             log.key(0xF6);
             log.write(1, 0x2B, 0x00); // part II has no DAC switch
             log.key(0xF6);
             log.write(0, 0x2B, 0x00);
             log.key(0xF6);
         },
         {{lead, 6, 1, "ch6 #1"}}},
        {"other commands are skipped by their length",
         [](log_builder& log) {
             log.load(0, 0, lead);
             log.raw({0x67, 0x66, 0x00, 3, 0, 0, 0, 0x52, 0x28, 0xF0}); // a data block
             log.raw({0x61, 0x52, 0x28, 0x62, 0x63, 0x7F, 0x81, 0xE0, 0x52, 0x28, 0xF0, 0});
             log.raw({0x90, 0, 2, 0, 0x2A, 0x91, 0, 0, 1, 0, 0x92, 0, 0x52, 0x28, 0xF0, 0});
             log.raw({0x93, 0, 0, 0, 0, 0, 1, 0x52, 0x28, 0xF0, 0, 0x94, 0, 0x95, 0, 0, 0, 0});
             log.raw({0xA2, 0x28, 0xF0, 0x50, 0x9F, 0x4F, 0x00, 0xC0, 1, 2, 3, 0xE1, 1, 2, 3, 4});
             log.key(0xF0);
         },
         {{lead, 1, 1, "ch1 #1"}}},
        {"volume variants grouped, the loudest kept",
         [](log_builder& log) {
             log.load(0, 0, lead);
             log.key(0xF0);
             log.load(0, 0, lead_soft);
             log.key(0xF0);
             log.load(0, 1, bass);
             log.key(0xF1);
             log.load(0, 2, lead_loud);
             log.key(0xF2);
             log.load(0, 0, lead_bright);
             log.key(0xF0);
         },
         {{lead_loud, 1, 3, "ch1 #3"}, {bass, 2, 1, "ch2 #1"}, {lead_bright, 1, 1, "ch1 #1"}},
         true},
    };
    for (const rule_case& c : cases) {
        expect_voices(c);
    }
}

TEST(vgm_voices, unused_bits_are_cleared) {
    log_builder log;
    for (int reg = 0x30; reg < 0xB8; ++reg) {
        log.write(0, static_cast<uint8_t>(reg), 0xFF);
    }
    log.key(0xF1);
    std::vector<vgm_voice> voices;
    vgm_error error;
    ASSERT_TRUE(extract_vgm_voices(log.bytes, voices, error)); // ends without 0x66: allowed
    ASSERT_EQ(voices.size(), 1u);
    EXPECT_EQ(voice_to_hex(voices[0].voice), "3f"
                                             "7f7f7f7f"
                                             "dfdfdfdf"
                                             "9f9f9f9f"
                                             "1f1f1f1f"
                                             "ffffffff"
                                             "7f7f7f7f");
}

TEST(vgm_voices, carriers_follow_the_algorithm) {
    // Algorithm 7 hears all four operators: a change in OP1's TL is only a volume step.
    voice_record all = lead;
    all[0] = 0x07;
    voice_record quieter = all;
    quieter[24] = 0x40;
    voice_record one = lead; // algorithm 0: OP1 is a modulator
    one[0] = 0x00;
    voice_record brighter = one;
    brighter[24] = 0x40;
    const std::vector<vgm_voice> voices{
        {quieter, 1, 1, ""}, {all, 2, 1, ""}, {one, 3, 1, ""}, {brighter, 4, 1, ""}};
    const std::vector<vgm_voice> merged = merge_volume_variants(voices);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].voice, all);
    EXPECT_EQ(merged[0].channel, 1);
    EXPECT_EQ(merged[0].name, "ch1 #2");
    EXPECT_EQ(merged[2].voice, brighter);
}

TEST(vgm_voices, data_offset_from_the_header) {
    log_builder old;
    old.bytes[0x08] = 0x10; // version 1.10: data at 0x40 whatever 0x34 holds
    old.bytes[0x34] = 0x40;
    old.load(0, 0, lead);
    old.key(0xF0);
    log_builder late;
    late.bytes[0x34] = 0x1C; // data at 0x50
    late.bytes.resize(0x50, 0x00);
    late.load(0, 0, lead);
    late.key(0xF0);
    for (const log_builder* log : {&old, &late}) {
        std::vector<vgm_voice> voices;
        vgm_error error;
        ASSERT_TRUE(extract_vgm_voices(log->bytes, voices, error)) << error.problem;
        ASSERT_EQ(voices.size(), 1u);
        EXPECT_EQ(voices[0].voice, lead);
    }
}

TEST(vgm_voices, a_log_whose_data_offset_is_its_end_holds_none) {
    log_builder log; // the header alone, data at 0x40
    ASSERT_EQ(log.bytes.size(), 0x40u);
    std::vector<vgm_voice> voices{{lead, 1, 1, "ch1 #1"}};
    vgm_error error;
    ASSERT_TRUE(extract_vgm_voices(log.bytes, voices, error)) << error.problem;
    EXPECT_TRUE(voices.empty());
}

TEST(vgm_voices, damaged_logs_are_refused_at_the_command) {
    struct bad_case {
        std::vector<uint8_t> tail;
        std::size_t offset;
        const char* problem;
    };
    const bad_case cases[] = {
        {{0x52, 0x28}, 0x43, "ends inside command 0x52"},
        {{0x61, 0x10}, 0x43, "ends inside command 0x61"},
        {{0x93, 0, 1}, 0x43, "ends inside command 0x93"},
        {{0x67, 0x66, 0x00, 9, 0, 0, 0, 1}, 0x43, "data block of 9 bytes"},
        {{0x67, 0x00, 0x00, 0, 0, 0, 0}, 0x43, "0x66 marker"},
        {{0x31, 0x00, 0x01}, 0x45, "unknown command 0x01"},
    };
    for (const bad_case& c : cases) {
        log_builder log;
        log.key(0xF0);
        log.bytes.insert(log.bytes.end(), c.tail.begin(), c.tail.end());
        std::vector<vgm_voice> voices;
        vgm_error error;
        EXPECT_FALSE(extract_vgm_voices(log.bytes, voices, error)) << c.problem;
        EXPECT_EQ(error.offset, c.offset) << c.problem;
        EXPECT_NE(error.problem.find(c.problem), std::string::npos) << error.problem;
        EXPECT_TRUE(voices.empty());
    }
    std::vector<vgm_voice> voices;
    vgm_error error;
    EXPECT_FALSE(extract_vgm_voices(std::vector<uint8_t>(0x40, 0), voices, error));
    EXPECT_NE(error.problem.find("not a VGM file"), std::string::npos);
}

TEST(vgm_voices, names_fit_a_bank_entry) {
    struct name_case {
        int32_t channel;
        int64_t key_ons;
        const char* name;
    };
    const name_case cases[] = {
        {2, 3, "ch2 #3"},
        {6, 99999, "ch6 #99999"},
        {6, 123456, "ch6 #123k"},
        {6, 9999999, "ch6 #9999k"},
        {6, 10000000, "ch6 #10M"}, // five digits and a unit would be 11 characters
        {6, 123456789, "ch6 #123M"},
        {6, INT64_MAX, "ch6 #9223P"},
    };
    for (const name_case& c : cases) {
        const std::string name = vgm_voice_name(c.channel, c.key_ons);
        EXPECT_EQ(name, c.name) << c.key_ons;
        EXPECT_LE(name.size(), 10u) << name;
    }
}

TEST(vgm_voices, logs_collected_without_duplicates) {
    std::vector<vgm_voice> all{{lead, 1, 2, "ch1 #2"}};
    const std::vector<vgm_voice> second{{bass, 3, 1, "ch3 #1"}, {lead, 4, 5, "ch4 #5"}};
    append_new_voices(all, second);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].name, "ch1 #7");
    EXPECT_EQ(all[1].voice, bass);
}

} // namespace
} // namespace kavelo

// Voice extraction from hand-made VGM logs: which key-ons make voices, records from the
// registers, duplicates, volume variants, and damaged logs.

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
const voice_record lead = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f10202a30");
const voice_record bass = hex("3a010203045f5e5d5c8182838405060708a1a2a3a400111f22");
const voice_record lead_soft = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f18282a30");
const voice_record lead_loud = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f08182a30");
// Differs from lead in a modulator level (OP2): another instrument, not a volume step.
const voice_record lead_bright = hex("04713201311f1f1f1f0a0b0c0d010203041f2f3f4f10201a30");

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
    bool end_command = true;
};

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
        {"bits no field uses are cleared; a log may end without 0x66",
         [](log_builder& log) {
             for (int reg = 0x30; reg < 0xB8; ++reg) {
                 log.write(0, static_cast<uint8_t>(reg), 0xFF);
             }
             log.key(0xF1);
         },
         {{hex("3f7f7f7f7fdfdfdfdf9f9f9f9f1f1f1f1fffffffff7f7f7f7f"), 2, 1, "ch2 #1"}},
         false,
         false},
        {"before version 1.50 the data is at 0x40 whatever 0x34 holds",
         [](log_builder& log) {
             log.bytes[0x08] = 0x10;
             log.bytes[0x34] = 0x40;
             log.load(0, 0, lead);
             log.key(0xF0);
         },
         {{lead, 1, 1, "ch1 #1"}}},
        {"data later than 0x40",
         [](log_builder& log) {
             log.bytes[0x34] = 0x1C; // data at 0x50
             log.bytes.resize(0x50, 0x00);
             log.load(0, 0, lead);
             log.key(0xF0);
         },
         {{lead, 1, 1, "ch1 #1"}}},
        {"the data offset at the end: no voices", [](log_builder&) {}, {}, false, false},
    };
    for (const rule_case& c : cases) {
        SCOPED_TRACE(c.what);
        log_builder log;
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
            const expected_voice& e = c.voices[i];
            EXPECT_EQ(std::tie(voices[i].channel, voices[i].key_ons, voices[i].name),
                      std::make_tuple(e.channel, e.key_ons, std::string(e.name)));
            EXPECT_EQ(voice_to_hex(voices[i].voice), voice_to_hex(e.voice)) << i;
        }
    }
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
        vgm_result error = extract_vgm_voices(log.bytes, voices);
        EXPECT_EQ(error.code, result_refused) << c.problem;
        EXPECT_EQ(error.offset, c.offset) << c.problem;
        EXPECT_NE(error.problem.find(c.problem), std::string::npos) << error.problem;
        EXPECT_TRUE(voices.empty());
    }
    std::vector<vgm_voice> voices;
    vgm_result error = extract_vgm_voices(std::vector<uint8_t>(0x40, 0), voices);
    EXPECT_FALSE(error.done());
    EXPECT_NE(error.problem.find("not a VGM file"), std::string::npos);
}

TEST(vgm_voices, names_fit_a_bank_entry) {
    // At most 10 characters: five digits and a unit would be 11.
    const std::tuple<int32_t, int64_t, const char*> cases[] = {{2, 3, "ch2 #3"},
                                                               {6, 99999, "ch6 #99999"},
                                                               {6, 123456, "ch6 #123k"},
                                                               {6, 9999999, "ch6 #9999k"},
                                                               {6, 10000000, "ch6 #10M"},
                                                               {6, 123456789, "ch6 #123M"},
                                                               {6, INT64_MAX, "ch6 #9223P"}};
    for (const auto& [channel, key_ons, name] : cases) {
        EXPECT_EQ(vgm_voice_name(channel, key_ons), name) << key_ons;
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

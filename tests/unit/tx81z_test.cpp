#include "formats/tx81z.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kavelo {
namespace {

struct tx81z_operator {
    uint8_t ar, d1r, d2r, rr, d1l, ame, out, crs, rs, dbt;
};

// A 32-voice bulk dump as the synthesizer sends it: header, voices, checksum, end byte.
std::vector<uint8_t> make_dump(int voices, const std::function<void(int, uint8_t*)>& fill_voice) {
    std::vector<uint8_t> dump{0xF0, 0x43, 0x00, 0x04, 0x20, 0x00};
    uint8_t sum = 0;
    for (int v = 0; v < voices; ++v) {
        uint8_t voice[128] = {};
        fill_voice(v, voice);
        for (uint8_t byte : voice) {
            dump.push_back(byte);
            sum = static_cast<uint8_t>(sum + byte);
        }
    }
    dump.push_back(static_cast<uint8_t>(-sum & 0x7F));
    dump.push_back(0xF7);
    return dump;
}

void set_operator(uint8_t* voice, int block, const tx81z_operator& op) {
    uint8_t* b = voice + 10 * block;
    b[0] = op.ar;
    b[1] = op.d1r;
    b[2] = op.d2r;
    b[3] = op.rr;
    b[4] = op.d1l;
    b[6] = static_cast<uint8_t>(op.ame << 6 | 0x2D); // EBS and KVS bits are dropped
    b[7] = op.out;
    b[8] = op.crs;
    b[9] = static_cast<uint8_t>(op.rs << 3 | op.dbt);
}

void set_name(uint8_t* voice, const char* name) {
    std::memcpy(voice + 57, name, std::min<std::size_t>(10, std::strlen(name)));
}

TEST(Tx81zImport, ListsEveryVoiceOfA32VoiceDumpByName) {
    tx81z_store store;
    const auto dump = make_dump(32, [](int v, uint8_t* voice) {
        set_name(voice, v == 3 ? "Brass  1  " : ("Voice " + std::to_string(v)).c_str());
    });
    ASSERT_EQ(dump.size(), 4104u);
    const tx81z_import_result result = tx81z_import_bytes(store, dump);
    ASSERT_TRUE(result.done());
    ASSERT_EQ(result.names.size(), 32u);
    EXPECT_EQ(result.names[0], "Voice 0");
    EXPECT_EQ(result.names[3], "Brass  1  "); // blanks show as they are
    EXPECT_EQ(result.names[31], "Voice 31");
    EXPECT_EQ(store.voice_count, 32);
}

TEST(Tx81zImport, SizesDecideTheVoiceCountUpToFifty) {
    tx81z_store store;
    EXPECT_EQ(tx81z_import_bytes(store, std::vector<uint8_t>(136, 0x41)).names.size(), 1u);
    EXPECT_EQ(tx81z_import_bytes(store, std::vector<uint8_t>(135, 0x41)).names.size(), 0u);
    EXPECT_TRUE(tx81z_import_bytes(store, std::vector<uint8_t>(8, 0)).done());
    const auto cut = tx81z_import_bytes(
        store, make_dump(64, [](int v, uint8_t* voice) { voice[0] = static_cast<uint8_t>(v); }));
    ASSERT_TRUE(cut.done());
    EXPECT_EQ(cut.voices_in_file, 64);
    EXPECT_EQ(cut.names.size(), 50u);
    EXPECT_EQ(store.bytes[128 * 49], 49);

    // A shorter second import keeps the old tail, unlisted.
    set_name(store.bytes.data() + 128 * 3, "Old Four");
    const auto second = tx81z_import_bytes(
        store, make_dump(2, [](int, uint8_t* voice) { set_name(voice, "New"); }));
    EXPECT_EQ(second.names, (std::vector<std::string>{"New", "New"}));
    EXPECT_EQ(store.voice_count, 2);
    EXPECT_EQ(tx81z_voice_name(store, 3), "Old Four");

    const auto refused = tx81z_import_bytes(store, std::vector<uint8_t>(7, 0));
    EXPECT_FALSE(refused.done());
    EXPECT_NE(refused.problem.find("7 bytes"), std::string::npos);
    EXPECT_EQ(store.voice_count, 2);
    EXPECT_EQ(tx81z_voice_name(store, 0), "New");
}

TEST(Tx81zConvert, OperatorFieldsAndColumnOrder) {
    tx81z_store store;
    tx81z_import_bytes(
        store, make_dump(1, [](int, uint8_t* voice) {
            set_operator(voice, 0, {31, 31, 0, 15, 15, 1, 99, 4, 3, 3}); // the TX81Z's operator 4
            set_operator(voice, 1, {20, 10, 5, 7, 3, 0, 50, 63, 1, 4});  // operator 2
            set_operator(voice, 2, {1, 0, 31, 0, 0, 0, 0, 8, 0, 2});     // operator 3
            set_operator(voice, 3, {15, 16, 1, 2, 14, 1, 90, 0, 2, 0});  // operator 1
            voice[40] = 1 << 6 | 7 << 3 | 0; // sync, feedback 7, algorithm 0
        }));
    const voice_record r = tx81z_voice_to_record(store, 0);
    EXPECT_EQ(r[0], 0x78); // sync, feedback and algorithm keep their bits
    // Group positions run OP4, OP3, OP2, OP1 and take blocks 3, 2, 1, 0.
    // Block 0: the worked example, landing in position 3 (OP1).
    EXPECT_EQ(r[4], 0x01);
    EXPECT_EQ(r[8], 0xDF);
    EXPECT_EQ(r[12], 0x9F); // D1R 31 crosses unchanged (fast), AME into bit 7
    EXPECT_EQ(r[16], 0x00);
    EXPECT_EQ(r[20], 0x0F);
    EXPECT_EQ(r[24], 0x00);
    // Block 1 (position 2): DBT 4 is detune 1 up, CRS 63 gives MUL 15.
    EXPECT_EQ(r[3], 0x1F);
    EXPECT_EQ(r[7], 0x40 | 20);
    EXPECT_EQ(r[11], 10);
    EXPECT_EQ(r[15], 5);
    EXPECT_EQ(r[19], (15 - 3) * 16 + 7);
    EXPECT_EQ(r[23], 49);
    // Block 2 (position 1): DBT 2 is detune 5 down, output level 0 gives TL 99.
    EXPECT_EQ(r[2], 0x52);
    EXPECT_EQ(r[22], 99);
    EXPECT_EQ(r[18], 0xF0);
    // Block 3 (position 0): DBT 0 is detune 7.
    EXPECT_EQ(r[1], 0x70);
    EXPECT_EQ(r[5], 0x80 | 15);
    EXPECT_EQ(r[9], 0x80 | 16);
    EXPECT_EQ(r[21], 9);
    store.bytes.fill(0x11); // an index outside the store gives an empty record
    EXPECT_EQ(tx81z_voice_to_record(store, 50), voice_record{});
    EXPECT_EQ(tx81z_voice_to_record(store, -1), voice_record{});
}

} // namespace
} // namespace kavelo

// TX81Z bulk dumps: the voice count from the size, names, and each operator field converted.

#include "formats/tx81z.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace kavelo {
namespace {

// A bulk dump as the synthesizer sends it: header, 128-byte voices, checksum, end byte.
std::vector<uint8_t> make_dump(int voices, const std::function<void(int, uint8_t*)>& fill) {
    std::vector<uint8_t> dump{0xF0, 0x43, 0x00, 0x04, 0x20, 0x00};
    for (int v = 0; v < voices; ++v) {
        uint8_t voice[128] = {};
        fill(v, voice);
        dump.insert(dump.end(), voice, voice + 128);
    }
    dump.insert(dump.end(), {0x00, 0xF7});
    return dump;
}

TEST(Tx81zImport, CountsVoicesBySizeUpToFiftyAndKeepsTheStoreOnARefusal) {
    // Names as the dump holds them, blanks kept, are checked by the CLI's bank from-sysex.
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

    const auto refused = tx81z_import_bytes(store, std::vector<uint8_t>(7, 0));
    EXPECT_FALSE(refused.done());
    EXPECT_NE(refused.problem.find("7 bytes"), std::string::npos);
    EXPECT_EQ(store.voice_count, 50);
    EXPECT_EQ(store.bytes[128 * 49], 49);
}

TEST(Tx81zConvert, OperatorFieldsAndColumnOrder) {
    // Per block: AR, D1R, D2R, RR, D1L, EBS/AME/KVS, OUT, CRS, RS/DBT; the TX81Z's
    // operators 4, 2, 3, 1 in that order. Group positions run OP4..OP1 from blocks 3..0.
    const uint8_t blocks[4][10] = {{31, 31, 0, 15, 15, 0, 0x6D, 99, 4, 3 << 3 | 3},
                                   {20, 10, 5, 7, 3, 0, 0x2D, 50, 63, 1 << 3 | 4},
                                   {1, 0, 31, 0, 0, 0, 0x2D, 0, 8, 2},
                                   {15, 16, 1, 2, 14, 0, 0x6D, 90, 0, 2 << 3 | 0}};
    tx81z_store store;
    tx81z_import_bytes(store, make_dump(1, [&](int, uint8_t* voice) {
                           std::memcpy(voice, blocks, sizeof blocks);
                           voice[40] = 1 << 6 | 7 << 3 | 0; // sync, feedback 7, algorithm 0
                       }));
    // DBT 3, 4, 2, 0 are detune 0, +1, 5 (down), 7; CRS 63 gives MUL 15; OUT 0 is TL 99;
    // D1R crosses unchanged, AME into bit 7 of it; EBS and KVS bits are dropped.
    const voice_record expected{0x78, 0x70, 0x52, 0x1F, 0x01, 0x8F, 0x01, 0x54, 0xDF,
                                0x90, 0x00, 0x0A, 0x9F, 0x01, 0x1F, 0x05, 0x00, 0x12,
                                0xF0, 0xC7, 0x0F, 0x09, 0x63, 0x31, 0x00};
    EXPECT_EQ(tx81z_voice_to_record(store, 0), expected);
    store.bytes.fill(0x11); // an index outside the store gives an empty record
    EXPECT_EQ(tx81z_voice_to_record(store, 50), voice_record{});
}

} // namespace
} // namespace kavelo

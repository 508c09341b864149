// The cartridge checksum: the sum itself, its fix, and the note a commit leaves when it is stale.

#include "demo/demo_rom.h"
#include "memory_file_system.h"
#include "rom/byte_order.h"
#include "rom/cartridge_checksum.h"
#include "rom/track_header.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

constexpr char path[] = "/roms/game.bin";

TEST(CartridgeChecksum, SumsBigEndianWordsFromTheEndOfTheHeader) {
    const struct {
        std::vector<uint8_t> tail; // bytes from 0x200
        uint16_t sum;
    } cases[] = {
        {{0x12, 0x34, 0xFF, 0xFF}, 0x1233}, // wraps at 16 bits
        {{0x00, 0x01, 0xAB}, 0xAB01},       // an odd last byte is a high half
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> image(0x200 + c.tail.size(), 0x77); // the header is not summed
        std::copy(c.tail.begin(), c.tail.end(), image.begin() + 0x200);
        EXPECT_EQ(cartridge_checksum(image), c.sum) << c.tail.size();
        EXPECT_TRUE(read_checksum(image));
    }
    EXPECT_FALSE(read_checksum(std::vector<uint8_t>(0x1FF, 0)));
}

// A commit into a ROM image notes a stale checksum; the fix writes the sum at its place.
TEST(CartridgeChecksum, CommitsNoteAStaleSumAndTheFixWritesIt) {
    test::memory_file_system fs;
    test::log_lines log;
    const rom_access access{fs, path, file_mode::rom_image, log.sink()};
    std::vector<uint8_t> stale = make_demo_rom();
    stale[0x300] ^= 0x5A; // a byte past the header changes: the stored word is stale
    fs.files[path] = stale;
    const uint32_t start = track_table[3].start;
    voice_table table;
    ASSERT_EQ(load_track_voices(access, start, table).code, result_done);
    const uint16_t sum = cartridge_checksum(stale);
    const std::string note = "  * Note: the cartridge checksum at 0x18E (" +
                             checksum_hex(read_be16(std::span(stale).subspan(0x18E).first<2>())) +
                             ") no longer matches the ROM (" + checksum_hex(sum) +
                             "); Tools > Fix Checksum writes the right one.";
    // The committed voice is the stored one, so the file and its sum stay as they were.
    ASSERT_EQ(commit_voice(access, start, table, 0, table.voices[0]).code, result_done);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"  * Writing changes to ROM",
                                                   "  * Voice Edited successfully!", note}));

    log.lines.clear();
    ASSERT_EQ(fix_checksum(access).code, result_done);
    EXPECT_EQ(read_checksum(fs.files[path])->stored, sum);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"  * Writing changes to ROM",
                                                   "  * Checksum Fixed successfully!"}));
    log.lines.clear();
    track_header header{};
    ASSERT_EQ(read_track_header(access, start, header).code, result_done);
    ASSERT_EQ(commit_track_header(access, start, header).code, result_done);
    EXPECT_EQ(log.lines.size(), 2u) << "a matching checksum says nothing";

    log.lines.clear();
    fs.files[path] = std::vector<uint8_t>(0x1F0, 0);
    EXPECT_EQ(fix_checksum(access).code, result_refused);
    EXPECT_TRUE(log.lines.empty());
}

} // namespace
} // namespace kavelo

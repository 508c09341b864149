// The DAC program's packing: hand-made streams of every token kind, whole and cut short,
// the refusals, and the packer's round trip.

#include "drums/dac_compression.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

std::string text(const bytes& b) {
    return std::string(b.begin(), b.end());
}

// "ABC" repeated to `length` characters.
std::string abc(std::size_t length) {
    std::string out;
    while (out.size() < length) {
        out += "ABC"[out.size() % 3];
    }
    return out;
}

struct stream_case {
    const char* name;
    bytes stream;
    std::string expected;
};

// Descriptor bits are listed from bit 0; every stream ends with 0 1 and 00 00 00.
std::vector<stream_case> hand_streams() {
    return {
        {"literals", {0x17, 0x00, 'A', 'B', 'C', 0, 0, 0}, "ABC"}, // 1 1 1, 0 1
        // 1 1, 0 0 b1 b0 with d = FE (2 back), 0 1: b1 b0 counts 2-5, overlapping from 3 on.
        {"short count 5", {0xB3, 0x00, 'A', 'B', 0xFE, 0, 0, 0}, "ABABABA"},
        // 1 1, 0 1 FF F8 FD (254 bytes 1 back), 0 0 0 0 with d = 00: 256 back.
        {"short, farthest",
         {0x0B, 0x02, 'X', 'A', 0xFF, 0xF8, 0xFD, 0x00, 0, 0, 0},
         "X" + std::string(255, 'A') + "XA"},
        // 1 1 1, 0 1 FD F8 c: distance 0x1FFD is 3 back. c = 1 copies nothing (then 'D'),
        // c > 1 copies c + 1 bytes.
        {"long, c = 1", {0xB7, 0x00, 'A', 'B', 'C', 0xFD, 0xF8, 1, 'D', 0, 0, 0}, "ABCD"},
        // Counts 1-7 in the distance's low bits copy 3-9 bytes.
        {"long, count 7", {0x57, 0x00, 'A', 'B', 'C', 0xFD, 0xFF, 0, 0, 0}, abc(12)},
        // 1 1, 0 1 FF F8 FF (1 back, 256 bytes), 0 1 FE F1: distance 0x1EFE is 258 back,
        // which only the distance's high bits reach.
        {"long, high distance bits",
         {0xAB, 0x00, 'B', 'A', 0xFF, 0xF8, 0xFF, 0xFE, 0xF1, 0, 0, 0},
         "B" + std::string(257, 'A') + "BAA"},
        // The 16th bit is taken before a data byte: the next descriptor comes first.
        {"16th bit before a literal",
         {0xFF, 0xFF, 'a', 'b', 'c', 'd',  'e',  'f', 'g', 'h', 'i', 'j',
          'k',  'l',  'm', 'n', 'o', 0x02, 0x00, 'p', 0,   0,   0},
         "abcdefghijklmnop"},
        {"16th bit inside a short reference",
         {0xFF, 0x3F, 'a', 'b', 'c', 'd',  'e',  'f',  'g', 'h', 'i',
          'j',  'k',  'l', 'm', 'n', 0x0B, 0x00, 0xFE, 0,   0,   0},
         "abcdefghijklmnmnmnm"},
    };
}

TEST(dac_decompress, hand_made_streams_unpack_to_their_bytes_after_the_marker_not_before) {
    for (const stream_case& c : hand_streams()) {
        SCOPED_TRACE(c.name);
        const dac_unpack_result result = decompress_dac_program(c.stream, 0);
        ASSERT_TRUE(result.done()) << result.problem;
        EXPECT_EQ(text(result.program), c.expected);
        EXPECT_EQ(result.end, c.stream.size());
        for (std::size_t size = 0; size < c.stream.size(); ++size) {
            EXPECT_FALSE(decompress_dac_program(std::span(c.stream).first(size), 0).done()) << size;
        }
    }
}

TEST(dac_decompress, refuses_references_before_the_start_of_the_output) {
    // A short reference 1 back of nothing.
    const dac_unpack_result result = decompress_dac_program(bytes{0x00, 0x00, 0xFF, 0, 0, 0}, 0);
    EXPECT_FALSE(result.done());
    EXPECT_NE(result.problem.find("before the start of its output"), std::string::npos)
        << result.problem;
    // Copying nothing refers to nothing.
    EXPECT_TRUE(
        decompress_dac_program(bytes{0x2B, 0x00, 'A', 'B', 0xFD, 0xF8, 1, 0, 0, 0}, 0).done());
}

TEST(dac_decompress, refuses_output_beyond_the_z80_ram) {
    const bytes full(z80_ram_size, 0x5A);
    const dac_unpack_result fits = decompress_dac_program(compress_dac_program(full), 0);
    ASSERT_TRUE(fits.done()) << fits.problem;
    EXPECT_EQ(fits.program, full);

    const dac_unpack_result over =
        decompress_dac_program(compress_dac_program(bytes(z80_ram_size + 1, 0x5A)), 0);
    EXPECT_FALSE(over.done());
    EXPECT_NE(over.problem.find("8192 bytes of RAM"), std::string::npos) << over.problem;
}

// Inputs for the round trip, by kind and length.
bytes random_bytes(std::size_t size, uint32_t seed, uint32_t alphabet) {
    std::mt19937 random(seed);
    bytes out(size);
    for (uint8_t& b : out) {
        b = static_cast<uint8_t>(random() % alphabet);
    }
    return out;
}

TEST(dac_compress, round_trips_random_and_patterned_data_of_edge_lengths) {
    const std::vector<std::size_t> lengths = {
        0, 1, 2, 3, 4, 9, 10, 15, 16, 17, 255, 256, 257, 258, 511, 4096, 8000, 8191, z80_ram_size};
    for (const std::size_t length : lengths) {
        for (const uint32_t alphabet : {256u, 3u, 1u}) {
            SCOPED_TRACE(std::to_string(length) + " bytes of " + std::to_string(alphabet));
            const bytes data = random_bytes(length, static_cast<uint32_t>(length), alphabet);
            const bytes packed = compress_dac_program(data);
            const dac_unpack_result result = decompress_dac_program(packed, 0);
            ASSERT_TRUE(result.done()) << result.problem;
            EXPECT_EQ(result.program, data);
            EXPECT_EQ(result.end, packed.size());
            // Literals cost 9 bits a byte at worst, plus descriptors and the end marker.
            EXPECT_LE(packed.size(), length * 9 / 8 + 8);
        }
    }
}

} // namespace
} // namespace kavelo

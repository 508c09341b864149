// Finding the drum kit in a ROM image, DPCM decoding, and drum levels as the DAC takes them.

#include "drums/dac_compression.h"
#include "drums/dpcm.h"
#include "drums/drum_kit.h"
#include "drums/drum_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

constexpr std::size_t rom_size = 0x80000;

// A DAC program shaped like the game's: delta table, sample table, three samples.
struct program_image {
    bytes program = bytes(0x400, 0);
    program_image() {
        std::copy(dpcm_deltas.begin(), dpcm_deltas.end(), program.begin() + 0x22);
        entry(0, 0x00EE, 0x100, 0x17);
        entry(1, 0x01EE, 0x80, 0x01);
        entry(2, 0x026E, 0x192, 0x1B);
        for (std::size_t i = 0x00EE; i < program.size(); ++i) {
            program[i] = static_cast<uint8_t>(i * 7);
        }
    }
    void entry(std::size_t index, uint16_t start, uint16_t length, uint8_t pitch) {
        const std::size_t at = 0xD6 + 8 * index;
        program[at] = static_cast<uint8_t>(start);
        program[at + 1] = static_cast<uint8_t>(start >> 8);
        program[at + 2] = static_cast<uint8_t>(length);
        program[at + 3] = static_cast<uint8_t>(length >> 8);
        program[at + 4] = pitch;
    }
};

bytes rom_with(const bytes& program) {
    bytes rom(rom_size, 0xEE);
    const uint8_t pointer[] = {0x00, 0x07, 0x2E, 0x7C};
    std::copy(std::begin(pointer), std::end(pointer), rom.begin() + 0x135E);
    const bytes packed = compress_dac_program(program);
    std::copy(packed.begin(), packed.end(), rom.begin() + 0x72E7C);
    for (std::size_t i = 0; i < long_pcm_size; ++i) {
        rom[0x79688 + i] = static_cast<uint8_t>(i % 251);
    }
    return rom;
}

TEST(find_drum_kit, takes_the_samples_pitches_and_long_sample_from_a_rom) {
    const program_image image;
    drum_kit kit;
    const op_result found = find_drum_kit(rom_with(image.program), kit);
    ASSERT_TRUE(found.done()) << found.problem;
    // The last table entry: the timpani's 0x192 bytes at 0x026E.
    const auto timpani = image.program.begin() + 0x026E;
    EXPECT_EQ(kit.dpcm[2], bytes(timpani, timpani + 0x192));
    EXPECT_EQ(kit.pitch, (std::array<uint8_t, 3>{0x17, 0x01, 0x1B}));
    ASSERT_EQ(kit.long_pcm.size(), 27000u);
    EXPECT_EQ(kit.long_pcm[26999], 26999 % 251);
}

TEST(find_drum_kit, refuses_each_fault_with_one_sentence_and_leaves_the_kit_alone) {
    struct fault {
        const char* name;
        std::function<void(bytes& program)> on_program;
        std::function<void(bytes& rom)> on_rom;
        const char* says;
    };
    const auto none = [](bytes&) {};
    const std::vector<fault> faults = {
        {"wrong pointer", none, [](bytes& rom) { rom[0x1361] = 0x7E; },
         "the address at 0x135E is 0x00072E7E, not the DAC program's 0x72E7C."},
        {"stream refers before its start", none,
         [](bytes& rom) {
             const uint8_t stream[] = {0x00, 0x00, 0xFF};
             std::copy(std::begin(stream), std::end(stream), rom.begin() + 0x72E7C);
         },
         "the compressed DAC program refers to"},
        {"bad delta table", [](bytes& p) { p[0x22 + 9] = 0xFE; }, none, "delta table at 0x0022"},
        {"program too short for the sample table", [](bytes& p) { p.resize(0xE0); }, none,
         "too short for its sample table"},
        // The timpani's 0x193 bytes at 0x026E end one past the program.
        {"sample outside the program", [](bytes& p) { p[0xE6 + 2] = 0x93; }, none,
         "timpani sample (403 bytes at 0x026E) reaches past the end of its 1024 bytes"},
        {"empty sample", [](bytes& p) { p[0xD6 + 2] = 0, p[0xD6 + 3] = 0; }, none,
         "kick sample is empty"},
        {"ROM too short for the long sample", none, [](bytes& rom) { rom.resize(rom_size - 1); },
         "is only 0x7FFFF bytes long, too short for the long sample at 0x79688-0x7FFFF."},
    };
    for (const fault& f : faults) {
        SCOPED_TRACE(f.name);
        program_image image;
        f.on_program(image.program);
        bytes rom = rom_with(image.program);
        f.on_rom(rom);
        drum_kit kit;
        kit.long_pcm = {1, 2, 3};
        const op_result found = find_drum_kit(rom, kit);
        EXPECT_EQ(found.code, result_refused);
        const std::string& problem = found.problem;
        EXPECT_EQ(problem.rfind("The drums are silent: ", 0), 0u) << problem;
        EXPECT_NE(problem.find(f.says), std::string::npos) << problem;
        EXPECT_EQ(problem.find('.'), problem.size() - 1) << problem;
        EXPECT_EQ(kit.long_pcm, (bytes{1, 2, 3}));
    }
}

TEST(dpcm, decodes_high_nibble_first_from_the_centre_modulo_256) {
    // 1: +1, 2: +2 | 9: -1, F: -64 | 8: +128, 0 | 7: +64, 7: +64 wraps to 0x02
    const bytes values = dpcm_decode(bytes{0x12, 0x9F, 0x80, 0x77});
    EXPECT_EQ(values, (bytes{0x81, 0x83, 0x82, 0x42, 0xC2, 0xC2, 0x02, 0x42}));
}

TEST(dpcm, encoding_follows_a_waveform_and_reproduces_reachable_values_exactly) {
    // Steps of the table one after the other, both ways, never wrapping.
    const bytes reachable = {0x81, 0x83, 0x87, 0x8F, 0x9F, 0xBF, 0xFF, 0xFE, 0xFC,
                             0xF8, 0xF0, 0xE0, 0xC0, 0x80, 0x00, 0x80, 0x80, 0x7F};
    EXPECT_EQ(dpcm_decode(dpcm_encode(reachable)), reachable);

    bytes triangle;
    for (int32_t i = 0; i < 501; ++i) { // odd: the last value is repeated
        triangle.push_back(static_cast<uint8_t>(40 + std::min(i, 500 - i) * 2 / 3));
    }
    const bytes decoded = dpcm_decode(dpcm_encode(triangle));
    ASSERT_EQ(decoded.size(), triangle.size() + 1);
    for (std::size_t i = 8; i < triangle.size(); ++i) {
        EXPECT_NEAR(decoded[i], triangle[i], 1) << i;
    }
}

TEST(demo_drums, levels_round_half_away_from_the_centre_and_clamp_to_the_dac) {
    const struct {
        int64_t level;
        int32_t peak;
        uint8_t dac;
    } cases[] = {{0, 100, 128},     {16383, 1, 128},  {16384, 1, 129},   {-16384, 1, 127},
                 {32768, 127, 255}, {-32768, 127, 1}, {32768, 200, 255}, {-32768, 200, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(to_dac(c.level, c.peak), c.dac) << c.level << " x " << c.peak;
    }
}

} // namespace
} // namespace kavelo

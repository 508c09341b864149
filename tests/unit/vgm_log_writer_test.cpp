// The VGM 1.60 writer: every header field at its offset, waits in their shortest form, the
// stream and data block commands byte for byte, and the GD3 tag.

#include "vgm/vgm_log_writer.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

uint32_t le32(const bytes& file, std::size_t at) {
    return static_cast<uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                 file[at + 3] << 24);
}

// The command bytes between the header and the end command.
bytes commands_of(const bytes& file) {
    const std::size_t gd3 = 0x14 + le32(file, 0x14);
    EXPECT_EQ(file[gd3 - 1], 0x66);
    return bytes(file.begin() + 0x80, file.begin() + static_cast<std::ptrdiff_t>(gd3 - 1));
}

TEST(vgm_log_writer, header_fields_lie_where_the_vgm_1_60_layout_puts_them) {
    vgm_log_writer log;
    log.psg(0x9F);
    log.wait_until(44100);
    const bytes file = log.finish(7670453, {"Basalt Zone", "", "Mega Drive", "kavelo", ""});
    // Worked out by hand: 5 command bytes and the end command put the GD3 tag at 0x86; its
    // 11 strings are "Basalt Zone" (24 bytes in UTF-16 with the terminator), "Mega Drive"
    // (22), "kavelo" (14) and 8 empty ones (16): 76 bytes after the tag's 12.
    ASSERT_EQ(file.size(), 0x86u + 12 + 76);
    // "Vgm ", EOF offset, version, PSG clock, YM2413, GD3 offset, samples, loop offset and
    // samples, rate, PSG feedback 0x0009 with a 16-bit shift register, YM2612 clock, YM2151,
    // data offset (0x80); nothing else, no other chip and no modifiers.
    const std::array<uint32_t, 32> header{
        0x206D6756, 0x86 + 12 + 76 - 4, 0x160,   3579545, 0,   0x86 - 0x14, 44100, 0, 0,
        60,         0x00100009,         7670453, 0,       0x4C};
    for (std::size_t i = 0; i < header.size(); ++i) {
        EXPECT_EQ(le32(file, 4 * i), header[i]) << "offset 0x" << std::hex << 4 * i;
    }
    EXPECT_EQ(commands_of(file), (bytes{0x50, 0x9F, 0x61, 0x44, 0xAC}));
    bytes tag{'G', 'd', '3', ' ', 0x00, 0x01, 0x00, 0x00, 76, 0, 0, 0};
    for (const std::string text :
         {"Basalt Zone", "", "", "", "Mega Drive", "", "", "", "", "kavelo", ""}) {
        for (const char c : text + '\0') {
            tag.insert(tag.end(), {static_cast<uint8_t>(c), 0});
        }
    }
    EXPECT_EQ(bytes(file.begin() + 0x86, file.end()), tag);
}

TEST(vgm_log_writer, each_wait_takes_its_shortest_command) {
    // The wait commands: 0x7n waits n + 1, 0x62 735, 0x63 882, 0x61 a 16-bit count.
    const std::pair<uint64_t, bytes> cases[] = {{16, {0x7F}},
                                                {17, {0x61, 0x11, 0x00}},
                                                {735, {0x62}},
                                                {882, {0x63}},
                                                {70000, {0x61, 0xFF, 0xFF, 0x61, 0x71, 0x11}}};
    for (const auto& [samples, command] : cases) {
        SCOPED_TRACE(samples);
        vgm_log_writer log;
        log.wait_until(samples / 2); // waits add up until the next command
        log.wait_until(samples);
        log.wait_until(samples / 3); // time never runs back
        log.psg(0x9F);
        bytes want = command;
        want.insert(want.end(), {0x50, 0x9F});
        const bytes file = log.finish(7670453, {});
        EXPECT_EQ(commands_of(file), want);
        EXPECT_EQ(le32(file, 0x18), samples);
    }
}

TEST(vgm_log_writer, register_stream_and_data_commands_are_laid_out_byte_for_byte) {
    vgm_log_writer log;
    log.ym2612(0, 0x2B, 0x80);
    log.ym2612(1, 0xB6, 0xC0);
    log.data_block(0x00, bytes{0x80, 0x81, 0x82});
    log.stream_setup(0, 0x02, 0x00, 0x2A);
    log.stream_data(0, 0x00, 1, 0);
    log.stream_frequency(0, 8201);
    log.wait_until(5);
    log.stream_start(0, 0x012345, 1700);
    log.stream_stop(0);
    EXPECT_EQ(commands_of(log.finish(7670453, {})),
              (bytes{0x52, 0x2B, 0x80, 0x53, 0xB6, 0xC0, 0x67, 0x66, 0x00, 0x03, 0x00, 0x00,
                     0x00, 0x80, 0x81, 0x82, 0x90, 0x00, 0x02, 0x00, 0x2A, 0x91, 0x00, 0x00,
                     0x01, 0x00, 0x92, 0x00, 0x09, 0x20, 0x00, 0x00, 0x74, 0x93, 0x00, 0x45,
                     0x23, 0x01, 0x00, 0x01, 0xA4, 0x06, 0x00, 0x00, 0x94, 0x00}));
}

} // namespace
} // namespace kavelo

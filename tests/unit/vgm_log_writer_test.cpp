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

bytes utf16(const std::string& text) {
    bytes out;
    for (const char c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

TEST(vgm_log_writer, header_fields_lie_where_the_vgm_1_60_layout_puts_them) {
    vgm_log_writer log;
    log.psg(0x9F);
    log.wait_until(44100);
    const bytes file = log.finish(7670453, {"Basalt Zone", "", "Mega Drive", "kavelo", ""});

    const std::size_t gd3 = 0x14 + le32(file, 0x14);
    struct field {
        std::size_t offset;
        uint32_t value;
    };
    const std::vector<field> fields = {
        {0x00, 0x206D6756}, // "Vgm "
        {0x04, static_cast<uint32_t>(file.size() - 4)},
        {0x08, 0x00000160},
        {0x0C, 3579545},
        {0x10, 0}, // YM2413
        {0x18, 44100},
        {0x1C, 0}, // no loop
        {0x20, 0},
        {0x24, 60},
        {0x28, 0x00100009}, // feedback 0x0009, shift register 16 bits, flags 0
        {0x2C, 7670453},
        {0x30, 0},    // YM2151
        {0x34, 0x4C}, // the data at 0x80
    };
    for (const field& f : fields) {
        EXPECT_EQ(le32(file, f.offset), f.value) << "offset 0x" << std::hex << f.offset;
    }
    for (std::size_t at = 0x38; at < 0x80; ++at) {
        EXPECT_EQ(file[at], 0) << "offset 0x" << std::hex << at; // no other chip, no modifiers
    }
    EXPECT_EQ(commands_of(file), (bytes{0x50, 0x9F, 0x61, 0x44, 0xAC}));

    ASSERT_LT(gd3 + 12, file.size());
    EXPECT_EQ(bytes(file.begin() + static_cast<std::ptrdiff_t>(gd3),
                    file.begin() + static_cast<std::ptrdiff_t>(gd3 + 8)),
              (bytes{'G', 'd', '3', ' ', 0x00, 0x01, 0x00, 0x00}));
    bytes strings;
    for (const char* text :
         {"Basalt Zone", "", "", "", "Mega Drive", "", "", "", "", "kavelo", ""}) {
        const bytes one = utf16(text);
        strings.insert(strings.end(), one.begin(), one.end());
    }
    EXPECT_EQ(le32(file, gd3 + 8), strings.size());
    EXPECT_EQ(bytes(file.begin() + static_cast<std::ptrdiff_t>(gd3 + 12), file.end()), strings);
}

TEST(vgm_log_writer, each_wait_takes_its_shortest_command) {
    struct wait_case {
        uint64_t samples;
        bytes command;
    };
    const std::vector<wait_case> cases = {
        {1, {0x70}},
        {16, {0x7F}},
        {17, {0x61, 0x11, 0x00}},
        {735, {0x62}},
        {882, {0x63}},
        {734, {0x61, 0xDE, 0x02}},
        {65535, {0x61, 0xFF, 0xFF}},
        {65536, {0x61, 0xFF, 0xFF, 0x70}},
        {70000, {0x61, 0xFF, 0xFF, 0x61, 0x71, 0x11}},
    };
    for (const wait_case& c : cases) {
        SCOPED_TRACE(c.samples);
        vgm_log_writer log;
        log.wait_until(c.samples / 2); // waits add up until the next command
        log.wait_until(c.samples);
        log.wait_until(c.samples / 3); // time never runs back
        log.psg(0x9F);
        bytes want = c.command;
        want.insert(want.end(), {0x50, 0x9F});
        const bytes file = log.finish(7670453, {});
        EXPECT_EQ(commands_of(file), want);
        EXPECT_EQ(le32(file, 0x18), c.samples);
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

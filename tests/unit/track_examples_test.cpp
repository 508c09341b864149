// The driver's worked examples: each hand-made track's log, frame 0 to 40, exactly as the
// game's driver wrote it, played as a bare track and patched into a ROM image at track 0.

#include "rom/track_table.h"
#include "track/driver_tables.h"
#include "track/track_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kavelo {
namespace {

std::string data_text(const std::string& name) {
    std::ifstream in(std::string(KAVELO_TEST_DATA_DIR) + "/track/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<uint8_t> data_hex(const std::string& name) {
    std::istringstream in(data_text(name));
    std::vector<uint8_t> bytes;
    unsigned value = 0;
    while (in >> std::hex >> value) {
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

struct worked_example {
    const char* name;
    const char* start_log; // frame 0
    std::size_t size;
};

void PrintTo(const worked_example& example, std::ostream* out) {
    *out << example.name;
}

class track_example : public testing::TestWithParam<worked_example> {};

TEST_P(track_example, logs_what_the_game_driver_wrote) {
    const worked_example& example = GetParam();
    const std::vector<uint8_t> track = data_hex(std::string(example.name) + ".track");
    ASSERT_EQ(track.size(), example.size);
    const std::string expected =
        data_text(example.start_log) + data_text(std::string(example.name) + ".log");

    track_interpreter bare({track, file_mode::bare_track, 0});
    ASSERT_TRUE(bare.valid()) << bare.problem();
    EXPECT_EQ(track_log(bare, 41), expected);
    EXPECT_TRUE(bare.take_messages().empty());

    std::vector<uint8_t> rom(track_table[0].end, 0);
    const std::span<const uint8_t> tables = builtin_driver_rom();
    std::copy(tables.begin(), tables.end(), rom.begin());
    std::copy(track.begin(), track.end(), rom.begin() + track_table[0].start);
    track_interpreter in_rom({rom, file_mode::rom_image, track_table[0].start});
    EXPECT_EQ(track_log(in_rom, 41), expected);
}

INSTANTIATE_TEST_SUITE_P(driver, track_example,
                         testing::Values(worked_example{"example_a", "start_f2_p0.log", 78},
                                         worked_example{"example_b", "start_f2_p0.log", 86},
                                         worked_example{"example_c", "start_f2_p0.log", 92},
                                         worked_example{"example_d", "start_f2_p0.log", 86},
                                         worked_example{"example_e", "start_f1_p3.log", 98},
                                         worked_example{"example_f", "start_f2_p0.log", 82},
                                         worked_example{"example_g", "start_f2_p0.log", 82}),
                         [](const testing::TestParamInfo<worked_example>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace kavelo

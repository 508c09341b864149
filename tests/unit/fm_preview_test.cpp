// The preview render and the register-log player, against renders of a separate
// frame-by-frame model of the chip (tests/data/fm/reference_model.py).

#include "fm/fm_script.h"
#include "fm/preview_render.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kavelo {
namespace {

std::string data_path(const std::string& name) {
    return std::string(KAVELO_TEST_DATA_DIR) + "/fm/" + name;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(fm_preview, writes_the_voice_then_the_note_then_the_key) {
    voice_record voice{};
    for (std::size_t i = 0; i < voice.size(); ++i) {
        voice[i] = static_cast<uint8_t>(0xA0 + i);
    }
    std::vector<std::pair<uint8_t, uint8_t>> writes;
    preview_voice_writes(voice, 1,
                         [&](uint8_t reg, uint8_t value) { writes.emplace_back(reg, value); });
    ASSERT_EQ(writes.size(), 28u);
    EXPECT_EQ(writes[0], std::make_pair(uint8_t{0xB0}, uint8_t{0xA0}));
    EXPECT_EQ(writes[1], std::make_pair(uint8_t{0x3C}, uint8_t{0xA1}));  // OP4 DT/MUL
    EXPECT_EQ(writes[4], std::make_pair(uint8_t{0x30}, uint8_t{0xA4}));  // OP1 DT/MUL
    EXPECT_EQ(writes[21], std::make_pair(uint8_t{0x4C}, uint8_t{0xB5})); // OP4 TL
    EXPECT_EQ(writes[24], std::make_pair(uint8_t{0x40}, uint8_t{0xB8})); // OP1 TL
    EXPECT_EQ(writes[25], std::make_pair(uint8_t{0xA4}, uint8_t{0x12}));
    EXPECT_EQ(writes[26], std::make_pair(uint8_t{0xA0}, uint8_t{0x84}));
    EXPECT_EQ(writes[27], std::make_pair(uint8_t{0x28}, uint8_t{0xF0}));
}

TEST(fm_preview, voice_with_all_levels_off_renders_silence) {
    const voice_record voice =
        *voice_from_hex("07010101011f1f1f1f00000000000000000f0f0f0f7f7f7f7f");
    std::vector<int8_t> left(preview_frames, 1), right(preview_frames, 1);
    ASSERT_EQ(preview_render(voice, 1, preview_frames, left, right), preview_done);
    EXPECT_EQ(left, std::vector<int8_t>(preview_frames, 0));
    EXPECT_EQ(right, std::vector<int8_t>(preview_frames, 0));
}

TEST(fm_preview, refuses_bad_note_and_short_buffers) {
    const voice_record voice{};
    std::vector<int8_t> left(100), right(99);
    EXPECT_EQ(preview_render(voice, 8, 10, left, left), preview_refused);
    EXPECT_EQ(preview_render(voice, -1, 10, left, left), preview_refused);
    EXPECT_EQ(preview_render(voice, 0, 100, left, right), preview_refused);
    EXPECT_EQ(preview_render(voice, 0, 99, left, right), preview_done);
}

class fm_preview_golden : public testing::TestWithParam<const char*> {};

TEST_P(fm_preview_golden, matches_the_reference_model) {
    const std::string name = GetParam();
    std::string hex = read_text(data_path(name + ".voice"));
    hex.erase(hex.find_last_not_of("\r\n") + 1);
    const std::optional<voice_record> voice = voice_from_hex(hex);
    ASSERT_TRUE(voice);
    const std::vector<uint8_t> expected = test::read_bytes(data_path(name + ".raw"));
    ASSERT_EQ(expected.size(), 8192u);
    std::vector<int8_t> left(expected.size()), right(expected.size());
    ASSERT_EQ(preview_render(*voice, 1, 8192, left, right), preview_done);
    EXPECT_EQ(std::vector<uint8_t>(left.begin(), left.end()), expected);
    EXPECT_EQ(left, right);
}

INSTANTIATE_TEST_SUITE_P(voices, fm_preview_golden, testing::Values("preview_a", "preview_b"));

TEST(fm_script, feature_log_matches_the_reference_model) {
    fm_script_output output;
    fm_script_error error;
    ASSERT_TRUE(run_fm_script(read_text(data_path("features.fms")), output, error))
        << error.line << ": " << error.problem;
    const std::vector<uint8_t> expected = test::read_bytes(data_path("features.raw"));
    EXPECT_EQ(std::vector<uint8_t>(output.samples.begin(), output.samples.end()), expected);
    EXPECT_EQ(output.rate, 44100);
}

TEST(fm_script, numbers_comments_and_interleaving) {
    fm_script_output output;
    fm_script_error error;
    const char* script = "# DAC on, left only on channel 6\n"
                         "init 1 0x750aaa 44100   # clock 7670442\n\n"
                         "write 0 0 0x2B\r\nwrite 0 0x4001 128\n"
                         "write 0 2 0xB6\nwrite 0 3 0x80\n"
                         "write 0 0 0x2A\nwrite 0 1 0xFF\n"
                         "update 0 2\nupdate 0 0\nshutdown\n";
    ASSERT_TRUE(run_fm_script(script, output, error)) << error.line << ": " << error.problem;
    EXPECT_EQ(output.samples, (std::vector<int8_t>{31, 0, 31, 0}));
}

TEST(fm_script, bad_lines_are_named) {
    const std::pair<const char*, int32_t> cases[] = {
        {"init 1 7670442 44100\nplay 0\n", 2},
        {"init 1 7670442\n", 1},
        {"init 1 7670442 44100\nwrite 0 0 0x100\n", 2},
        {"init 1 7670442 44100\nwrite 0 0 -1\n", 2},
        {"init 1 7670442 44100\n\nwrite 1 0 0\n", 3},
        {"update 0 10\n", 1},
        {"init 1 7670442 44100\nupdate 0 1x\n", 2},
        {"init 0 7670442 44100\n", 1},
        {"init 1 7670442 10\n", 1},
        {"init 1 7670442 44100\nshutdown\nreset 0\n", 3},
    };
    for (const auto& [script, line] : cases) {
        fm_script_output output;
        fm_script_error error;
        EXPECT_FALSE(run_fm_script(script, output, error)) << script;
        EXPECT_EQ(error.line, line) << script;
        EXPECT_FALSE(error.problem.empty());
    }
}

} // namespace
} // namespace kavelo

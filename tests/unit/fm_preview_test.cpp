// The preview render and the register-log player against renders of a separate
// frame-by-frame model of the chip (tests/data/fm/reference_model.py), and the one widening
// and interleaving rule of rendered samples. The voices differ between operators in every
// register group, so a voice byte sent to the wrong register changes the render.

#include "fm/fm_script.h"
#include "fm/preview_render.h"
#include "fm/widened_samples.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

std::string data_path(const std::string& name) {
    return std::string(KAVELO_TEST_DATA_DIR) + "/fm/" + name;
}

std::string read_text(const std::string& path) {
    const std::vector<uint8_t> bytes = test::read_bytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(fm_preview, refuses_bad_notes_and_short_buffers) {
    const voice_record voice{};
    std::vector<int8_t> left(100), right(99);
    EXPECT_EQ(preview_render(voice, 8, 10, left, left), preview_refused);
    EXPECT_EQ(preview_render(voice, 0, 100, left, right), preview_refused);
    EXPECT_EQ(preview_render(voice, 0, 99, left, right), preview_done);
}

TEST(fm_preview, matches_the_reference_model) {
    for (const std::string name : {"preview_a", "preview_b"}) {
        SCOPED_TRACE(name);
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
}

TEST(fm_script, feature_log_matches_the_reference_model) {
    fm_script_output output;
    fm_script_result error = run_fm_script(read_text(data_path("features.fms")), output);
    ASSERT_TRUE(error.done()) << error.line << ": " << error.problem;
    const std::vector<uint8_t> expected = test::read_bytes(data_path("features.raw"));
    EXPECT_EQ(std::vector<uint8_t>(output.samples.begin(), output.samples.end()), expected);
    EXPECT_EQ(output.rate, 44100);
}

TEST(fm_script, numbers_comments_and_interleaving) {
    fm_script_output output;
    const char* script = "# DAC on, left only on channel 6\n"
                         "init 1 0x750aaa 44100   # clock 7670442\n\n"
                         "write 0 0 0x2B\r\nwrite 0 0x4001 128\n"
                         "write 0 2 0xB6\nwrite\t0 3 0x80\n"
                         "write 0 0 0x2A\nwrite 0 1 0xFF\n"
                         "update 0 2\nupdate 0 0\nshutdown\n";
    const fm_script_result error = run_fm_script(script, output);
    ASSERT_TRUE(error.done()) << error.line << ": " << error.problem;
    EXPECT_EQ(output.samples, (std::vector<int8_t>{31, 0, 31, 0}));
}

TEST(fm_script, bad_lines_are_named) {
    const std::pair<const char*, int32_t> cases[] = {
        {"init 1 7670442 44100\nplay 0\n", 2},
        {"init 1 7670442\n", 1},
        {"init 1 7670442 44100\nwrite 0 0 0x100\n", 2},
        {"update 0 10\n", 1},
        {"init 0 7670442 44100\n", 1},
        {"init 1 7670442 44100\nshutdown\nreset 0\n", 3},
        {"init 1 7670453 44100\nupdate 0 600\nupdate 0 500\n", 3}, // past 1000 frames
    };
    for (const auto& [script, line] : cases) {
        fm_script_output output;
        fm_script_result error = run_fm_script(script, output, 1000);
        EXPECT_FALSE(error.done()) << script;
        EXPECT_EQ(error.line, line) << script;
        EXPECT_FALSE(error.problem.empty());
    }
}

static_assert(widened(-128) == -32768 && widened(127) == 32512 && widened(0) == 0);

constexpr int16_t untouched = 0x5A5A;

// A shift of 8 with the sign kept, frames as left, right pairs, never a write past the
// shortest buffer.
TEST(widened_samples, FramesInterleaveLeftThenRightUpToTheShortestBuffer) {
    const struct {
        const char* what;
        std::vector<int8_t> left, right;
        std::size_t out_size;
        std::vector<int16_t> expected; // `untouched` where nothing may be written
    } cases[] = {
        {"edge values", {-128, 0, 127}, {127, -128, 0}, 6, {-32768, 32512, 0, -32768, 32512, 0}},
        {"an odd output length leaves its last element", {1, 2}, {3, 4}, 3, {256, 768, untouched}},
        {"a short right side",
         {1, 2, 3},
         {-1},
         6,
         {256, -256, untouched, untouched, untouched, untouched}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int16_t> out(c.out_size, untouched);
        const std::size_t frames = widen_interleaved(c.left, c.right, out);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(frames, std::min({c.left.size(), c.right.size(), c.out_size / 2}));
    }
}

} // namespace
} // namespace kavelo

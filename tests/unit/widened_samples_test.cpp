// The one widening and interleaving rule of rendered samples: a shift of 8 with the sign
// kept, frames as left, right pairs, and never a write past the shortest buffer.

#include "fm/widened_samples.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavelo {
namespace {

static_assert(widened(-128) == -32768 && widened(127) == 32512 && widened(0) == 0);

TEST(widened_samples, EverySampleKeepsItsSignAndMovesToTheHighByte) {
    const struct {
        int8_t sample;
        int16_t expected;
    } cases[] = {{-128, -32768}, {-1, -256}, {0, 0}, {1, 256}, {64, 16384}, {127, 32512}};
    for (const auto& c : cases) {
        EXPECT_EQ(widened(c.sample), c.expected) << int{c.sample};
        EXPECT_EQ(static_cast<uint16_t>(widened(c.sample)) & 0xFF, 0) << "low byte is silence";
    }
}

constexpr int16_t untouched = 0x5A5A;

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
        {"a short output", {5, 6, 7}, {8, 9, 10}, 4, {1280, 2048, 1536, 2304}},
        {"no output", {1}, {1}, 0, {}},
        {"no samples", {}, {}, 2, {untouched, untouched}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int16_t> out(c.out_size, untouched);
        const std::size_t frames = widen_interleaved(c.left, c.right, out);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(frames, std::min({c.left.size(), c.right.size(), c.out_size / 2}));

        // The 8-bit interleave takes the same frames, unwidened.
        std::vector<int8_t> narrow(c.out_size, 0x5A);
        EXPECT_EQ(interleave(c.left, c.right, narrow), frames);
        for (std::size_t i = 0; i < narrow.size(); ++i) {
            if (i < 2 * frames) {
                EXPECT_EQ(widened(narrow[i]), c.expected[i]) << i;
            } else {
                EXPECT_EQ(narrow[i], 0x5A) << i;
            }
        }
    }
}

} // namespace
} // namespace kavelo

#include "keyboard/envelope_labels.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(EnvelopeLabels, KeyOffLabelKeepsClearOfTheOperatorLegend) {
    // A row from 34 to 534 whose legend starts at 400; the label is 40 wide.
    const auto at = [](int32_t line_x) {
        return place_key_off_label({line_x, 40, 3, 34, 534, 400});
    };
    const struct {
        const char* what;
        int32_t line_x;
        label_place expected;
    } cases[] = {
        {"early key-off: right of the line", 100, {103, false}},
        {"the last place right of the line that ends clear of the legend", 354, {357, false}},
        {"too near the legend: left of the line", 355, {312, false}},
        {"key-off just short of the legend: left of the line", 398, {355, false}},
        {"key-off inside the legend: below it, right of the line", 440, {443, true}},
        {"key-off at the row's end: below the legend, left of the line", 520, {477, true}},
        {"key-off at the row's start: right of the line", 34, {37, false}},
    };
    for (const auto& c : cases) {
        const label_place got = at(c.line_x);
        EXPECT_EQ(got.left, c.expected.left) << c.what;
        EXPECT_EQ(got.below_legend, c.expected.below_legend) << c.what;
    }
}

TEST(EnvelopeLabels, ANarrowRowStillKeepsTheLabelOnIt) {
    // No room on either side of the line: below the legend, from the row's start.
    const label_place got = place_key_off_label({40, 60, 3, 34, 90, 60});
    EXPECT_TRUE(got.below_legend);
    EXPECT_EQ(got.left, 34);
}

} // namespace
} // namespace kavelo

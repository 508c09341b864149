#include "keyboard/envelope_labels.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(EnvelopeLabels, KeyOffLabelKeepsClearOfTheOperatorLegendAndOnTheRow) {
    // Mostly a row from 34 to 534 whose legend starts at 400, a label 40 wide and a gap of 3;
    // the places follow from those edges.
    const struct {
        const char* what;
        key_off_label_request request;
        label_place expected;
    } cases[] = {
        {"early key-off: right of the line", {100, 40, 3, 34, 534, 400}, {103, false}},
        {"the last place right of the line", {354, 40, 3, 34, 534, 400}, {357, false}},
        {"too near the legend: left of the line", {355, 40, 3, 34, 534, 400}, {312, false}},
        {"just short of the legend: left", {398, 40, 3, 34, 534, 400}, {355, false}},
        {"inside the legend: below it, right", {440, 40, 3, 34, 534, 400}, {443, true}},
        {"at the row's end: below, left", {520, 40, 3, 34, 534, 400}, {477, true}},
        {"at the row's start: right of the line", {34, 40, 3, 34, 534, 400}, {37, false}},
        {"no room either side: below, at the start", {40, 60, 3, 34, 90, 60}, {34, true}},
    };
    for (const auto& c : cases) {
        const label_place got = place_key_off_label(c.request);
        EXPECT_EQ(got.left, c.expected.left) << c.what;
        EXPECT_EQ(got.below_legend, c.expected.below_legend) << c.what;
    }
}

} // namespace
} // namespace kavelo

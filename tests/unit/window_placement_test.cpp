#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavelo {
namespace {

using side = window_side;

TEST(WindowPlacement, TakesTheFirstSideWhereTheWindowFitsAndStaysOnTheWorkArea) {
    const screen_rect work{0, 0, 1024, 738}; // a taskbar below
    const screen_rect main{100, 50, 500, 250};
    const struct {
        const char* what;
        screen_rect anchor;
        int32_t width, height;
        std::vector<side> sides;
        screen_rect expected;
    } cases[] = {
        {"right, tops aligned", main, 300, 200, {side::right}, {508, 50, 808, 250}},
        {"below, left edges aligned", main, 300, 200, {side::below}, {100, 258, 400, 458}},
        {"too wide for the right: below",
         main,
         600,
         300,
         {side::right, side::below},
         {100, 258, 700, 558}},
        {"too tall below: the right",
         main,
         500,
         600,
         {side::below, side::right},
         {508, 50, 1008, 650}},
        {"on the right, moved up to stay on the work area",
         {100, 500, 500, 700},
         300,
         400,
         {side::right},
         {508, 338, 808, 738}},
        {"left of an anchor at the right edge",
         {700, 50, 1024, 250},
         400,
         200,
         {side::right, side::left},
         {292, 50, 692, 250}},
        {"above an anchor at the bottom",
         {100, 500, 500, 738},
         300,
         400,
         {side::below, side::above},
         {100, 92, 400, 492}},
        {"fits nowhere: the first side, pushed on the work area",
         main,
         900,
         700,
         {side::right, side::below},
         {124, 38, 1024, 738}},
        {"larger than the work area: its corner on it",
         main,
         1200,
         900,
         {side::right},
         {0, 0, 1200, 900}},
        {"an anchor off the screen's left: moved on",
         {-600, 50, -200, 250},
         300,
         200,
         {side::left},
         {0, 50, 300, 250}},
        {"no side given: the right", main, 300, 200, {}, {508, 50, 808, 250}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(place_beside(c.anchor, c.width, c.height, work, c.sides), c.expected) << c.what;
    }
}

TEST(WindowPlacement, KeepsToTheWorkAreaOfASecondMonitor) {
    const screen_rect second{1920, 0, 3200, 1024};
    const screen_rect main{2000, 100, 2400, 300};
    const std::vector<side> sides{side::right};
    EXPECT_EQ(place_beside(main, 700, 500, second, sides), (screen_rect{2408, 100, 3108, 600}));
    EXPECT_EQ(place_beside(main, 900, 500, second, sides), (screen_rect{2300, 100, 3200, 600}));
}

} // namespace
} // namespace kavelo

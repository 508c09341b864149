// The start-up open request from the command line or dropped files, and where a window
// opens beside another.

#include "app/open_request.h"
#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using args = std::vector<std::string>;

TEST(OpenRequest, CommandLineSplitsAsTheWindowsRuntimeDoes) {
    const struct {
        const char* line;
        args expected;
    } cases[] = {
        {"", {}},
        {"  a.bin \t b.bin ", {"a.bin", "b.bin"}},
        {R"(C:\roms\ "")", {R"(C:\roms\)", ""}},
        {R"(a\\"b c" d)", {R"(a\b c)", "d"}},        // 2n backslashes: n, and the quote opens
        {R"(a\"b)", {R"(a"b)"}},                     // 2n + 1: n and a literal quote
        {R"("say ""hi""" x)", {R"(say "hi")", "x"}}, // a doubled quote inside quotes
        {R"(C:\a\b)", {R"(C:\a\b)"}},                // backslashes before no quote stay
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
    }
}

TEST(OpenRequest, FirstPathOpensAndTheRestIsNamedInOneLine) {
    const open_request plain = command_line_request(R"("Z:\roms\game.bin")");
    EXPECT_EQ(plain.path, R"(Z:\roms\game.bin)");
    EXPECT_TRUE(plain.ignored.empty());
    EXPECT_EQ(ignored_line(plain, "on the command line"), "");

    const open_request mixed = command_line_request(R"(--debug rom.bin "two words" -x)");
    EXPECT_EQ(mixed.path, "rom.bin");
    EXPECT_EQ(mixed.ignored, (args{"--debug", "two words", "-x"}));
    EXPECT_EQ(ignored_line(mixed, "on the command line"),
              R"(  * Ignored on the command line: --debug "two words" -x)");

    const open_request options_only = command_line_request("-a /b");
    EXPECT_EQ(options_only.path, "/b"); // a path may start with a slash under Wine
    EXPECT_FALSE(command_line_request("-a -b").path);

    const open_request dropped = dropped_files_request({"a.bin", "b.bin"});
    EXPECT_EQ(dropped.path, "a.bin");
    EXPECT_EQ(dropped.ignored, args{"b.bin"});
    EXPECT_FALSE(dropped_files_request({}).path);
}

TEST(WindowPlacement, TakesTheFirstSideWhereTheWindowFitsAndStaysOnTheWorkArea) {
    using enum window_side;
    const screen_rect work{0, 0, 1024, 738}, second{1920, 0, 3200, 1024}; // a taskbar below
    const screen_rect main{100, 50, 500, 250}, low{100, 500, 500, 700}, wide{700, 50, 1024, 250};
    const screen_rect bottom{100, 500, 500, 738}, on_second{2000, 100, 2400, 300};
    // Expected rectangles worked out by hand: an 8-pixel gap, tops or left edges aligned.
    const struct {
        const char* what;
        screen_rect anchor;
        int32_t width, height;
        std::vector<window_side> sides;
        screen_rect expected, work;
    } cases[] = {
        {"no side given: the right", main, 300, 200, {}, {508, 50, 808, 250}, work},
        {"too wide for the right: below",
         main,
         600,
         300,
         {right, below},
         {100, 258, 700, 558},
         work},
        {"right, moved up onto the work area", low, 300, 400, {right}, {508, 338, 808, 738}, work},
        {"left at the right edge", wide, 400, 200, {right, left}, {292, 50, 692, 250}, work},
        {"above at the bottom", bottom, 300, 400, {below, above}, {100, 92, 400, 492}, work},
        {"fits nowhere: pushed on", main, 900, 700, {right, below}, {124, 38, 1024, 738}, work},
        {"larger than the work area", main, 1200, 900, {right}, {0, 0, 1200, 900}, work},
        {"second monitor, pushed on", on_second, 900, 500, {right}, {2300, 100, 3200, 600}, second},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(place_beside(c.anchor, c.width, c.height, c.work, c.sides), c.expected) << c.what;
    }
}

} // namespace
} // namespace kavelo

// The start-up open request from the command line or dropped files, what opening a path does
// from the file alone, where a window opens beside another, and the Status log's text.

#include "app/open_request.h"
#include "app/opened_file.h"
#include "app/status_log_text.h"
#include "app/window_placement.h"
#include "demo/demo_rom.h"
#include "memory_file_system.h"

#include <gtest/gtest.h>

#include <string>

namespace kavelo {
namespace {

using args = std::vector<std::string>;

TEST(OpenRequest, CommandLineSplitsAsTheWindowsRuntimeDoes) {
    const struct {
        const char* line;
        args expected;
    } cases[] = {
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
    EXPECT_EQ(ignored_line(plain, "on the command line"), "");

    const open_request mixed = command_line_request(R"(--debug rom.bin "two words" -x)");
    EXPECT_EQ(mixed.path, "rom.bin");
    EXPECT_EQ(mixed.ignored, (args{"--debug", "two words", "-x"}));
    EXPECT_EQ(ignored_line(mixed, "on the command line"),
              R"(  * Ignored on the command line: --debug "two words" -x)");

    const open_request options_only = command_line_request("-a /b");
    EXPECT_EQ(options_only.path, "/b"); // a path may start with a slash under Wine

    const open_request dropped = dropped_files_request({"a.bin", "b.bin"});
    EXPECT_EQ(dropped.path, "a.bin");
    EXPECT_EQ(dropped.ignored, args{"b.bin"});
}

TEST(WindowPlacement, TakesTheFirstSideWhereTheWindowFitsAndStaysOnTheWorkArea) {
    using enum window_side;
    const screen_rect work{0, 0, 1024, 738}, second{1920, 0, 3200, 1024}; // a taskbar below
    const screen_rect main{100, 50, 500, 250}, wide{700, 50, 1024, 250};
    const screen_rect bottom{100, 500, 500, 738}, on_second{2000, 100, 2400, 300};
    // Expected rectangles worked out by hand: an 8-pixel gap, tops or left edges aligned.
    const struct {
        const char* what;
        screen_rect anchor;
        int32_t width, height;
        std::vector<window_side> sides;
        screen_rect expected, work;
    } cases[] = {
        {"too wide: below", main, 600, 300, {right, below}, {100, 258, 700, 558}, work},
        {"left at the right edge", wide, 400, 200, {right, left}, {292, 50, 692, 250}, work},
        {"above at the bottom", bottom, 300, 400, {below, above}, {100, 92, 400, 492}, work},
        {"second monitor, pushed on", on_second, 900, 500, {right}, {2300, 100, 3200, 600}, second},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(place_beside(c.anchor, c.width, c.height, c.work, c.sides), c.expected) << c.what;
    }
}

TEST(opened_file, TheFileDecidesRefusalOrMode) {
    const std::string rom_line = "  * Opened compatible Brisco ROM";
    const std::string track_line = "  * Opened Binary Music Track";
    const struct {
        const char* what;
        std::string path;
        std::optional<std::vector<uint8_t>> bytes; // nothing: no such file
        file_mode mode;                            // none: not opened
        std::string line;
    } cases[] = {
        {"the game's ROM", "/roms/game.bin", make_demo_rom(), file_mode::rom_image, rom_line},
        {"a bare track", "/roms/track.bin", make_demo_track(4), file_mode::bare_track, track_line},
        {"no such file", "/roms/missing.bin", std::nullopt, file_mode::none,
         "  * ERROR: Cannot open /roms/missing.bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::memory_file_system fs;
        if (c.bytes) {
            fs.files[c.path] = *c.bytes;
        }
        const open_outcome outcome = open_outcome_for(fs, c.path);
        const bool opened = c.mode != file_mode::none;
        EXPECT_EQ(outcome.opened, opened);
        EXPECT_EQ(outcome.file.mode, c.mode);
        EXPECT_EQ(outcome.file.path, opened ? c.path : "");
        EXPECT_EQ(outcome.log_line, c.line);
        // Only a ROM image's menu failure is logged instead of its kind.
        EXPECT_EQ(outcome.line_after_menu(true), c.line);
        EXPECT_EQ(outcome.line_after_menu(false),
                  c.mode == file_mode::rom_image ? "  * ERROR: Cannot switch menus!" : c.line);
    }
}

// `count` lines "line N" padded with dots to `width` characters, each ending in CR LF.
std::string numbered_lines(int first, int count, std::size_t width) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        std::string line = "line " + std::to_string(i);
        line.resize(width, '.');
        text += line + "\r\n";
    }
    return text;
}

TEST(StatusLogText, AppendsOneLineAndDropsOnlyAsManyOldestWholeLinesAsNeeded) {
    const std::string ten = numbered_lines(0, 10, 8); // 100 characters
    const std::string x23(23, 'x');
    // Lengths counted by hand: each line is its text and CR LF.
    const struct {
        const char* what;
        std::string current, line;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"100 + 8 + 2: exactly at the limit", ten, "12345678", 110, ten + "12345678\r\n"},
        {"125: two lines go, not three", ten, x23, 110, numbered_lines(2, 8, 8) + x23 + "\r\n"},
        // Text without CR LF cannot be cut at a line: it goes as a whole.
        {"no line breaks", std::string(100, 'z'), "new", 50, "new\r\n"},
        {"a line longer than the limit is cut to it", "old\r\n", "hhhhhhhh", 6, "hhhh\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(status_log_text_append(c.current, c.line, c.limit), c.expected) << c.what;
    }
}

} // namespace
} // namespace kavelo

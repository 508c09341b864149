#include "app/status_log_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kavelo {
namespace {

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
    const std::string ten = numbered_lines(0, 10, 8);     // 100 characters
    const std::string full = numbered_lines(0, 1999, 30); // 63,968 characters
    const std::string opened = "  * Opened compatible Brisco ROM", x23(23, 'x');
    // Lengths counted by hand: each line is its text and CR LF.
    const struct {
        const char* what;
        std::string current, line;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"below the earlier lines", "  * Writing changes to ROM\r\n",
         "  * Voice Edited successfully!", status_log_max_chars,
         "  * Writing changes to ROM\r\n  * Voice Edited successfully!\r\n"},
        {"100 + 8 + 2: exactly at the limit", ten, "12345678", 110, ten + "12345678\r\n"},
        {"111: the first line goes", ten, "123456789", 110,
         numbered_lines(1, 9, 8) + "123456789\r\n"},
        {"125: two lines go, not three", ten, x23, 110, numbered_lines(2, 8, 8) + x23 + "\r\n"},
        {"63,968 + 34 passes 63,999 by 3", full, opened, status_log_max_chars,
         numbered_lines(1, 1998, 30) + opened + "\r\n"},
        // Text without CR LF cannot be cut at a line: it goes as a whole, as does a partial
        // last line once everything before it has gone.
        {"no line breaks", std::string(100, 'z'), "new", 50, "new\r\n"},
        {"a partial last line", "ab\r\ncd", "0123456", 10, "0123456\r\n"},
        {"a line longer than the limit is cut to it", "old\r\n", "hhhhhhhh", 6, "hhhh\r\n"},
        {"a limit below CR LF", "abc", "x", 1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(status_log_text_append(c.current, c.line, c.limit), c.expected) << c.what;
    }
}

} // namespace
} // namespace kavelo

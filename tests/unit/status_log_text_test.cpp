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

TEST(StatusLogText, AppendsOneLineEndingInCrLfBelowTheEarlierLines) {
    EXPECT_EQ(status_log_text_append("", "  * Opened compatible Brisco ROM"),
              "  * Opened compatible Brisco ROM\r\n");
    EXPECT_EQ(
        status_log_text_append("  * Writing changes to ROM\r\n", "  * Voice Edited successfully!"),
        "  * Writing changes to ROM\r\n  * Voice Edited successfully!\r\n");
    EXPECT_EQ(status_log_text_append("a\r\n", ""), "a\r\n\r\n");
}

TEST(StatusLogText, DropsOnlyAsManyOldestWholeLinesAsNeeded) {
    const std::string current = numbered_lines(0, 10, 8); // 100 characters
    // 100 + 8 + 2 = 110: exactly at the limit, nothing goes.
    EXPECT_EQ(status_log_text_append(current, "12345678", 110), current + "12345678\r\n");
    // 111 > 110: the first line (10 characters) goes, and only that one.
    EXPECT_EQ(status_log_text_append(current, "123456789", 110),
              numbered_lines(1, 9, 8) + "123456789\r\n");
    // 100 + 25 passes 110 by 15: two lines go, not three.
    const std::string long_line(23, 'x');
    EXPECT_EQ(status_log_text_append(current, long_line, 110),
              numbered_lines(2, 8, 8) + long_line + "\r\n");
}

TEST(StatusLogText, NeverPassesTheDefaultLimitOf63999Characters) {
    // 1,999 lines of 32 characters (63,968) and a new line of 34 pass 63,999 by 3.
    const std::string full = numbered_lines(0, 1999, 30);
    ASSERT_EQ(full.size(), 63968u);
    const std::string text = status_log_text_append(full, "  * Opened compatible Brisco ROM");
    EXPECT_EQ(text, numbered_lines(1, 1998, 30) + "  * Opened compatible Brisco ROM\r\n");
    EXPECT_LE(text.size(), status_log_max_chars);

    // Appending again and again stays within the limit and keeps the newest line last.
    std::string log = text;
    for (int i = 0; i < 100; ++i) {
        log = status_log_text_append(log, "  * Opened Binary Music Track");
        ASSERT_LE(log.size(), status_log_max_chars);
    }
    EXPECT_EQ(log.substr(log.size() - 31), "  * Opened Binary Music Track\r\n");
    EXPECT_EQ(log.substr(0, 5), "line "); // still starts with a whole line
}

TEST(StatusLogText, TextWithoutLineBreaksOrAHugeLineStillFits) {
    // Text set without any CR LF cannot be cut at a line: it goes as a whole.
    EXPECT_EQ(status_log_text_append(std::string(100, 'z'), "new", 50), "new\r\n");
    // A partial last line without CR LF goes once everything before it has gone.
    EXPECT_EQ(status_log_text_append("ab\r\ncd", "0123456", 10), "0123456\r\n");
    // A line longer than an empty log holds is cut so the result stays within the limit.
    const std::string huge(70000, 'h');
    const std::string text = status_log_text_append("old\r\n", huge);
    EXPECT_EQ(text.size(), status_log_max_chars);
    EXPECT_EQ(text.substr(text.size() - 3), "h\r\n");
    EXPECT_EQ(status_log_text_append("abc", "x", 1), "");
}

} // namespace
} // namespace kavelo

#include "app/open_request.h"

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
        {"   ", {}},
        {"rom.bin", {"rom.bin"}},
        {"  a.bin \t b.bin ", {"a.bin", "b.bin"}},
        {R"("C:\My Roms\game.bin")", {R"(C:\My Roms\game.bin)"}},
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

} // namespace
} // namespace kavelo

#include "fm/fm_script.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(FmScriptLimit, AnUpdatePastTheCallersFrameLimitIsABadLine) {
    const std::string script = "init 1 7670453 44100\nupdate 0 600\nupdate 0 500\n";
    fm_script_output output;
    fm_script_error error;
    EXPECT_FALSE(run_fm_script(script, output, error, 1000));
    EXPECT_EQ(error.line, 3);
    EXPECT_NE(error.problem.find("1000 frames"), std::string::npos);
    EXPECT_EQ(output.samples.size(), 1200u);

    fm_script_output whole;
    EXPECT_TRUE(run_fm_script(script, whole, error, 1100));
    EXPECT_EQ(whole.samples.size(), 2200u);
}

} // namespace
} // namespace kavelo

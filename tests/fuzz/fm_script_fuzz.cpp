// Runs the input as an fm-script within a frame budget. Checks: a refusal names its line
// and problem, and the output is whole frames within the budget.

#include "fm/fm_script.h"
#include "fuzz_check.h"

#include <algorithm>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kavelo;
    constexpr int64_t max_frames = 65536;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fm_script_output output;
    const fm_script_result error = run_fm_script(text, output, max_frames);
    FUZZ_CHECK(output.samples.size() % 2 == 0);
    FUZZ_CHECK(output.samples.size() <= 2 * static_cast<std::size_t>(max_frames));
    if (!error.done()) {
        const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
        FUZZ_CHECK(error.line >= 1 && error.line <= lines);
        FUZZ_CHECK(!error.problem.empty());
    }
    return 0;
}

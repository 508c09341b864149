// Plays the input as a VGM stream for at most 65536 frames. Checks: whole frames within
// the limit, and a refusal at an offset inside the file.

#include "fuzz_check.h"
#include "vgm/vgm_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kavelo;
    constexpr int64_t max_frames = 65536;
    const std::span<const uint8_t> file(data, size);
    std::vector<int8_t> samples;
    const vgm_result error = play_vgm(file, max_frames, samples);
    FUZZ_CHECK(samples.size() % 2 == 0);
    FUZZ_CHECK(samples.size() <= 2 * static_cast<std::size_t>(max_frames));
    if (!error.done()) {
        FUZZ_CHECK(!error.problem.empty());
        FUZZ_CHECK(error.offset <= size);
    }
    FUZZ_CHECK(vgm_ym2612_clock(file) > 0);
    return 0;
}

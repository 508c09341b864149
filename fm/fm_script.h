#pragma once
// Replays a register log on the FM core, one call a line:
//   init COUNT CLOCK RATE | reset CHIP | write CHIP PORT VALUE | update CHIP FRAMES | shutdown
// Numbers are decimal or 0x-hex; '#' starts a comment. No timer or interrupt handlers
// are installed, so the chips run their timers themselves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo {

// The most frames one script may render in all (2 bytes each).
inline constexpr int64_t fm_script_max_frames = int64_t{1} << 28;

struct fm_script_output {
    std::vector<int8_t> samples; // left, right per frame, every update in order
    int32_t rate = 0;            // output rate of the first init that created chips, or 0
};

struct fm_script_error {
    int32_t line = 0; // 1-based
    std::string problem;
};

// Runs the script on a core of its own. Returns true, or false with the first bad line.
// An update that would take the output past `max_frames` frames in all is a bad line.
bool run_fm_script(std::string_view text, fm_script_output& output, fm_script_error& error,
                   int64_t max_frames = fm_script_max_frames);

} // namespace kavelo

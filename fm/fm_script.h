#pragma once
// Replays a register log on the FM core, one call a line:
//   init COUNT CLOCK RATE | reset CHIP | write CHIP PORT VALUE | update CHIP FRAMES | shutdown
// Numbers are decimal or 0x-hex; '#' starts a comment. No timer or interrupt handlers
// are installed, so the chips run their timers themselves.

#include "rom/results.h"

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

// A refused script names its first bad line.
struct fm_script_result : op_result {
    int32_t line = 0; // 1-based
};

// Runs the script on a core of its own; refused at the first bad line. An update that
// would take the output past `max_frames` frames in all is a bad line.
fm_script_result run_fm_script(std::string_view text, fm_script_output& output,
                               int64_t max_frames = fm_script_max_frames);

} // namespace kavelo

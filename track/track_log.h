#pragma once
// The text of a track's driver log: one line per write, in the order made.

#include "track/track_interpreter.h"

#include <cstdint>
#include <string>

namespace kavelo {

// Runs `frames` driver frames (from frame 0) and returns their log, each line ended by a
// newline.
std::string track_log(track_interpreter& driver, int64_t frames);

} // namespace kavelo

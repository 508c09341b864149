#pragma once
// The capture of ALSA's default device (run-gui-tests.sh routes it into a file) compared with
// the core's render of the same sound. Interleaved 16-bit stereo; positions count frames.

#include "gui_driver.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gui {

using sound = std::vector<int16_t>;

std::string capture_path(); // deleted before the sound is played
sound captured_samples();   // empty while the file is missing
std::size_t captured_frames();
// Fails naming `what` unless the capture holds `frames` frames within the timeout.
void wait_captured(std::size_t frames, const std::string& what, duration timeout = 20s);

// Where the render starts in the capture: the offset where the sum of |captured - rendered|
// over every step-th of its first `probe` frames (left channel) is least.
std::size_t rendered_start(const sound& captured, const sound& rendered, std::size_t probe,
                           std::size_t step);

// Both channels of `frames` rendered frames against the capture from frame `start` on.
struct capture_match {
    std::size_t heard = 0; // frames the capture holds of the render
    double signal = 0;     // sum of squares of the render
    double error = 0;      // sum of squares of the differences
    double share() const { return std::sqrt(error / signal); }
};
capture_match match_capture(const sound& captured, std::size_t start, const sound& rendered,
                            std::size_t frames);

} // namespace gui

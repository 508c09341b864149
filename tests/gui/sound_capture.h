#pragma once
// What the sound tests share: the capture of ALSA's default device (run-gui-tests.sh routes
// it into a file) and its comparison with the core's render of the same sound.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// The capture file in this test's work folder; delete it before the sound is played.
std::string capture_path();
// The capture as interleaved 16-bit stereo samples; empty while the file is missing.
std::vector<int16_t> captured_samples();

// The sum of |captured - rendered| over the left channel, frames from..to (every step-th) of
// the render against the capture from frame `start` on, as far as the capture goes.
double capture_difference(const std::vector<int16_t>& captured, std::size_t start,
                          const std::vector<int16_t>& rendered, std::size_t from, std::size_t to,
                          std::size_t step);

// Where the render starts in the capture: the frame offset with the least difference over
// the render's first `probe` frames, looked at every step-th frame.
std::size_t rendered_start(const std::vector<int16_t>& captured,
                           const std::vector<int16_t>& rendered, std::size_t probe,
                           std::size_t step);

// Both channels of `frames` rendered frames against the capture from frame `start` on.
struct capture_match {
    std::size_t heard = 0; // frames the capture holds of the render
    double signal = 0;     // sum of squares of the render
    double error = 0;      // sum of squares of the differences
};
capture_match match_capture(const std::vector<int16_t>& captured, std::size_t start,
                            const std::vector<int16_t>& rendered, std::size_t frames);

} // namespace gui

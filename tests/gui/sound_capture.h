#pragma once
// What the sound tests share: the capture of ALSA's default device (run-gui-tests.sh routes
// it into a file) and its comparison with the core's render of the same sound. Sounds are
// interleaved 16-bit stereo samples; positions count frames.

#include "gui_driver.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gui {

using sound = std::vector<int16_t>;

// The capture file in the work folder; delete it before the sound is played.
std::string capture_path();
// The capture so far (empty while the file is missing), and how many frames it holds.
sound captured_samples();
std::size_t captured_frames();
// Waits (bounded) until the capture holds `frames` frames; fails naming `what` otherwise.
void wait_captured(std::size_t frames, const std::string& what, duration timeout = 20s);

// The sum of |captured - rendered| over the left channel of every step-th frame of the
// render's `frames` at `from`, against the capture from `offset` on, as far as it goes.
double capture_difference(const sound& captured, std::size_t offset, const sound& rendered,
                          std::size_t from, std::size_t frames, std::size_t step);
// The capture offset in [first, last] where that difference, over the first `channels`
// channels, is least.
std::size_t least_difference(const sound& captured, const sound& rendered, std::size_t from,
                             std::size_t frames, std::size_t first, std::size_t last,
                             std::size_t step, std::size_t channels);
// Where the render starts in the capture: judged by its first `probe` frames.
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
                            std::size_t frames, std::size_t from = 0);
// RMS of the difference over RMS of the render, for the render's stretch of `frames` at
// `from` against the capture from `offset` (1 where the capture ends first).
double piece_share(const sound& captured, std::size_t offset, const sound& rendered,
                   std::size_t from, std::size_t frames);

// A stretch of a long render as the capture holds it.
struct piece_match {
    std::size_t from = 0;   // its first frame in the render
    std::size_t offset = 0; // where that frame lies in the capture
    double share = 1;       // as piece_share gives it
};
// Cuts the render's first `frames` frames into stretches of `piece` frames and finds each
// in the capture where its difference is least: the first anywhere, each later one from
// `back` frames before to `ahead` frames after where it follows the last one that matched
// (a share below `matched`). A stream that came late put silence in the capture, one
// that caught up left frames out; either moves the later stretches, but loses none.
std::vector<piece_match> find_pieces(const sound& captured, const sound& rendered,
                                     std::size_t frames, std::size_t piece, std::size_t back,
                                     std::size_t ahead, double matched);

// The longest run of silent frames (both channels 0) in frames [from, to) of a recording.
std::size_t longest_silence(const sound& samples, std::size_t from, std::size_t to);

} // namespace gui

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

// Sum of |captured - rendered|, left channel, every step-th of the render's `frames` at
// `from` against the capture from `offset`, as far as the capture goes.
double capture_difference(const sound& captured, std::size_t offset, const sound& rendered,
                          std::size_t from, std::size_t frames, std::size_t step);
// The capture offset in [first, last] where that sum over `channels` channels is least.
std::size_t least_difference(const sound& captured, const sound& rendered, std::size_t from,
                             std::size_t frames, std::size_t first, std::size_t last,
                             std::size_t step, std::size_t channels);
// Where the render starts in the capture, judged by its first `probe` frames.
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
// RMS difference over RMS of the render's `frames` at `from` against the capture from
// `offset`; 1 where the capture ends first.
double piece_share(const sound& captured, std::size_t offset, const sound& rendered,
                   std::size_t from, std::size_t frames);

// A stretch of a long render as the capture holds it.
struct piece_match {
    std::size_t from = 0;   // its first frame in the render
    std::size_t offset = 0; // where that frame lies in the capture
    double share = 1;       // as piece_share gives it
};
// The render's first `frames` cut into stretches of `piece`, each found where it differs
// least: the first anywhere, each later one from `back` before to `ahead` after where it
// follows the last that matched (share below `matched`), since a late or catching-up
// stream moves the later stretches.
std::vector<piece_match> find_pieces(const sound& captured, const sound& rendered,
                                     std::size_t frames, std::size_t piece, std::size_t back,
                                     std::size_t ahead, double matched);

// The longest run of frames with both channels 0 in [from, to).
std::size_t longest_silence(const sound& samples, std::size_t from, std::size_t to);
// A capture silent for longer than its render by more than this (2 ms, rarer than that in a
// busy mix): the stream broke there.
inline constexpr std::size_t stream_break_silence = 88;

} // namespace gui

#include "sound_capture.h"

#include "editor_support.h"
#include "gui_test.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gui {

std::string capture_path() {
    return environment().work_dir + "\\sound-capture.raw";
}

std::vector<int16_t> captured_samples() {
    std::vector<uint8_t> bytes;
    if (GetFileAttributesA(capture_path().c_str()) != INVALID_FILE_ATTRIBUTES) {
        bytes = file_bytes(capture_path());
    }
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

std::size_t captured_frames() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(capture_path().c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    const uint64_t bytes = uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    return static_cast<std::size_t>(bytes / 4);
}

double capture_difference(const std::vector<int16_t>& captured, std::size_t start,
                          const std::vector<int16_t>& rendered, std::size_t from, std::size_t to,
                          std::size_t step) {
    double sum = 0;
    for (std::size_t i = from; i < to && 2 * (start + i) + 1 < captured.size(); i += step) {
        sum += std::abs(captured[2 * (start + i)] - rendered[2 * i]);
    }
    return sum;
}

std::size_t rendered_start(const std::vector<int16_t>& captured,
                           const std::vector<int16_t>& rendered, std::size_t probe,
                           std::size_t step) {
    const std::size_t captured_frames = captured.size() / 2;
    std::size_t start = 0;
    double least = -1;
    for (std::size_t offset = 0; offset + probe < captured_frames; ++offset) {
        const double d = capture_difference(captured, offset, rendered, 0, probe, step);
        if (least < 0 || d < least) {
            least = d;
            start = offset;
        }
    }
    return start;
}

capture_match match_capture(const std::vector<int16_t>& captured, std::size_t start,
                            const std::vector<int16_t>& rendered, std::size_t frames) {
    const std::size_t captured_frames = captured.size() / 2;
    capture_match match;
    for (; match.heard < frames && start + match.heard < captured_frames; ++match.heard) {
        for (std::size_t c = 0; c < 2; ++c) {
            const double want = rendered[2 * match.heard + c];
            const double got = captured[2 * (start + match.heard) + c];
            match.signal += want * want;
            match.error += (got - want) * (got - want);
        }
    }
    return match;
}

double piece_share(const std::vector<int16_t>& captured, std::size_t offset,
                   const std::vector<int16_t>& rendered, std::size_t from, std::size_t frames) {
    const std::vector<int16_t> stretch(rendered.begin() + static_cast<std::ptrdiff_t>(2 * from),
                                       rendered.begin() +
                                           static_cast<std::ptrdiff_t>(2 * (from + frames)));
    const capture_match match = match_capture(captured, offset, stretch, frames);
    if (match.heard < frames || match.signal <= 0) {
        return 1;
    }
    return std::sqrt(match.error / match.signal);
}

std::size_t longest_silence(const std::vector<int16_t>& samples, std::size_t from, std::size_t to) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (std::size_t f = from; f < to && 2 * f + 1 < samples.size(); ++f) {
        run = samples[2 * f] == 0 && samples[2 * f + 1] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

namespace {

// The offset in [first, last] with the least difference over every 8th frame of the stretch.
std::size_t least_difference(const std::vector<int16_t>& captured,
                             const std::vector<int16_t>& rendered, std::size_t from,
                             std::size_t frames, std::size_t first, std::size_t last) {
    std::size_t best = first;
    double least = -1;
    for (std::size_t offset = first; offset <= last; ++offset) {
        double sum = 0;
        for (std::size_t i = 0; i < frames; i += 8) {
            sum += std::abs(captured[2 * (offset + i)] - rendered[2 * (from + i)]) +
                   std::abs(captured[2 * (offset + i) + 1] - rendered[2 * (from + i) + 1]);
            if (least >= 0 && sum >= least) {
                break;
            }
        }
        if (least < 0 || sum < least) {
            least = sum;
            best = offset;
        }
    }
    return best;
}

} // namespace

std::vector<piece_match> find_pieces(const std::vector<int16_t>& captured,
                                     const std::vector<int16_t>& rendered, std::size_t frames,
                                     std::size_t piece, std::size_t back, std::size_t ahead,
                                     double matched) {
    std::vector<piece_match> pieces;
    const std::size_t captured_count = captured.size() / 2;
    if (captured_count < piece) {
        return pieces;
    }
    const std::size_t last_offset = captured_count - piece;
    bool anchored = false;
    std::size_t anchor_from = 0;
    std::size_t anchor_offset = 0;
    for (std::size_t from = 0; from + piece <= frames; from += piece) {
        piece_match found;
        found.from = from;
        std::size_t first = 0;
        std::size_t last = last_offset;
        if (anchored) {
            const std::size_t expected = anchor_offset + (from - anchor_from);
            // Most stretches follow on exactly; only the others are searched for.
            if (expected <= last_offset &&
                piece_share(captured, expected, rendered, from, piece) < matched) {
                first = last = expected;
            } else {
                first = expected > back ? expected - back : 0;
                last = std::min(expected + ahead, last_offset);
            }
        }
        if (first > last) {
            break;
        }
        found.offset = least_difference(captured, rendered, from, piece, first, last);
        found.share = piece_share(captured, found.offset, rendered, from, piece);
        double energy = 0;
        for (std::size_t i = 2 * from; i < 2 * (from + piece); ++i) {
            energy += static_cast<double>(rendered[i]) * rendered[i];
        }
        found.level = std::sqrt(energy / (2.0 * static_cast<double>(piece)));
        if (found.share < matched) {
            anchored = true;
            anchor_from = from;
            anchor_offset = found.offset;
        }
        pieces.push_back(found);
    }
    return pieces;
}

} // namespace gui

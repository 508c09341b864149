#include "sound_capture.h"

#include "editor_support.h"
#include "gui_test.h"

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

} // namespace gui

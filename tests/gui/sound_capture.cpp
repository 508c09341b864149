#include "sound_capture.h"

#include "flows.h"

#include <cmath>
#include <cstdlib>

namespace gui {

std::string capture_path() {
    return environment().work_dir + "\\sound-capture.raw";
}

sound captured_samples() {
    std::vector<uint8_t> bytes;
    if (GetFileAttributesA(capture_path().c_str()) != INVALID_FILE_ATTRIBUTES) {
        bytes = file_bytes(capture_path());
    }
    sound samples(bytes.size() / 2);
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
    return static_cast<std::size_t>((uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow) / 4);
}

void wait_captured(std::size_t frames, const std::string& what, duration timeout) {
    expect(wait_until([&] { return captured_frames() >= frames; }, timeout),
           what + " (" + std::to_string(captured_frames()) + " frames captured)");
}

std::size_t rendered_start(const sound& captured, const sound& rendered, std::size_t probe,
                           std::size_t step) {
    std::size_t best = 0;
    double least = -1;
    for (std::size_t offset = 0; offset + probe + 1 < captured.size() / 2; ++offset) {
        double sum = 0; // given up once it passes the least so far
        for (std::size_t i = 0; i < probe && (least < 0 || sum < least); i += step) {
            sum += std::abs(captured[2 * (offset + i)] - rendered[2 * i]);
        }
        if (least < 0 || sum < least) {
            least = sum;
            best = offset;
        }
    }
    return best;
}

capture_match match_capture(const sound& captured, std::size_t start, const sound& rendered,
                            std::size_t frames) {
    capture_match match;
    for (; match.heard < frames && 2 * (start + match.heard) + 1 < captured.size(); ++match.heard) {
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

#include "sound_capture.h"

#include "flows.h"

#include <algorithm>
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

namespace {

// The same difference over the first `channels` channels, given up once it reaches `bound`
// (when not negative).
double bounded_difference(const sound& captured, std::size_t offset, const sound& rendered,
                          std::size_t from, std::size_t frames, std::size_t step,
                          std::size_t channels, double bound) {
    double sum = 0;
    for (std::size_t i = 0;
         i < frames && 2 * (offset + i) + 1 < captured.size() && (bound < 0 || sum < bound);
         i += step) {
        for (std::size_t c = 0; c < channels; ++c) {
            sum += std::abs(captured[2 * (offset + i) + c] - rendered[2 * (from + i) + c]);
        }
    }
    return sum;
}

} // namespace

double capture_difference(const sound& captured, std::size_t offset, const sound& rendered,
                          std::size_t from, std::size_t frames, std::size_t step) {
    return bounded_difference(captured, offset, rendered, from, frames, step, 1, -1);
}

std::size_t least_difference(const sound& captured, const sound& rendered, std::size_t from,
                             std::size_t frames, std::size_t first, std::size_t last,
                             std::size_t step, std::size_t channels) {
    std::size_t best = first;
    double least = -1;
    for (std::size_t offset = first; offset <= last; ++offset) {
        const double sum =
            bounded_difference(captured, offset, rendered, from, frames, step, channels, least);
        if (least < 0 || sum < least) {
            least = sum;
            best = offset;
        }
    }
    return best;
}

std::size_t rendered_start(const sound& captured, const sound& rendered, std::size_t probe,
                           std::size_t step) {
    return captured.size() / 2 > probe + 1
               ? least_difference(captured, rendered, 0, probe, 0, captured.size() / 2 - probe - 1,
                                  step, 1)
               : 0;
}

capture_match match_capture(const sound& captured, std::size_t start, const sound& rendered,
                            std::size_t frames, std::size_t from) {
    capture_match match;
    for (; match.heard < frames && 2 * (start + match.heard) + 1 < captured.size(); ++match.heard) {
        for (std::size_t c = 0; c < 2; ++c) {
            const double want = rendered[2 * (from + match.heard) + c];
            const double got = captured[2 * (start + match.heard) + c];
            match.signal += want * want;
            match.error += (got - want) * (got - want);
        }
    }
    return match;
}

double piece_share(const sound& captured, std::size_t offset, const sound& rendered,
                   std::size_t from, std::size_t frames) {
    const capture_match match = match_capture(captured, offset, rendered, frames, from);
    return match.heard < frames || match.signal <= 0 ? 1 : match.share();
}

std::size_t longest_silence(const sound& samples, std::size_t from, std::size_t to) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (std::size_t f = from; f < to && 2 * f + 1 < samples.size(); ++f) {
        run = samples[2 * f] == 0 && samples[2 * f + 1] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

std::vector<piece_match> find_pieces(const sound& captured, const sound& rendered,
                                     std::size_t frames, std::size_t piece, std::size_t back,
                                     std::size_t ahead, double matched) {
    std::vector<piece_match> pieces;
    if (captured.size() / 2 < piece) {
        return pieces;
    }
    const std::size_t last_offset = captured.size() / 2 - piece;
    const piece_match* anchor = nullptr; // the last stretch that matched
    pieces.reserve(frames / piece + 1);  // so that `anchor` stays valid
    for (std::size_t from = 0; from + piece <= frames; from += piece) {
        std::size_t first = 0;
        std::size_t last = last_offset;
        if (anchor != nullptr) {
            const std::size_t expected = anchor->offset + (from - anchor->from);
            // Most stretches follow on exactly; only the others are searched for.
            const bool follows = expected <= last_offset &&
                                 piece_share(captured, expected, rendered, from, piece) < matched;
            first = follows ? expected : expected > back ? expected - back : 0;
            last = follows ? expected : std::min(expected + ahead, last_offset);
        }
        if (first > last) {
            break;
        }
        piece_match found{from,
                          least_difference(captured, rendered, from, piece, first, last, 8, 2)};
        found.share = piece_share(captured, found.offset, rendered, from, piece);
        pieces.push_back(found);
        anchor = found.share < matched ? &pieces.back() : anchor;
    }
    return pieces;
}

} // namespace gui

// Reads the input with every reader of the format table. Checks: what a reader accepts its
// writer writes and the reader reads back to the same voices with nothing dropped. An input
// that starts like a WOPN bank is also tried zero-padded to the size its header claims.

#include "formats/voice_formats.h"
#include "fuzz_check.h"

#include <cstring>

namespace {

using namespace kavelo;

void check_round_trip(const voice_format& format, std::span<const uint8_t> file) {
    const voice_file_read read = format.read(file);
    if (!read.done()) {
        FUZZ_CHECK(read.code == result_refused && !read.problem.empty());
        return;
    }
    FUZZ_CHECK(read.problem.empty());
    FUZZ_CHECK(format.kind == voice_file_kind::bank || read.voices.size() == 1);
    if (!format.write) {
        return;
    }
    std::vector<uint8_t> written;
    const voice_file_written result = write_voice_bytes(format, read.voices, written);
    FUZZ_CHECK(result.done());
    FUZZ_CHECK(result.lost.empty());
    const voice_file_read again = format.read(written);
    FUZZ_CHECK(again.done());
    FUZZ_CHECK(again.dropped.empty());
    FUZZ_CHECK(again.out_of_range.empty());
    FUZZ_CHECK(again.voices == read.voices);
}

// The size of the WOPN bank whose header starts `file` (zero-padded), when it claims at
// most a few sets; 0 otherwise.
std::size_t claimed_wopn_size(std::span<const uint8_t> file) {
    constexpr std::size_t header_v2 = 18;
    constexpr std::size_t max_sets = 4;
    const bool v2 = file[7] == '2'; // "WOPN2-B2NK" rather than "WOPN2-BANK"
    const std::size_t counts = v2 ? 13 : 11;
    const unsigned version = v2 ? file[11] | file[12] << 8 : 1;
    const std::size_t sets = std::size_t(file[counts] << 8 | file[counts + 1]) +
                             std::size_t(file[counts + 2] << 8 | file[counts + 3]);
    if (sets > max_sets) {
        return 0;
    }
    const std::size_t header = v2 ? header_v2 : header_v2 - 2;
    return header + sets * (version >= 2 ? 34 + 128 * 69 : 128 * 65);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> file(data, size);
    for (const voice_format& format : voice_formats()) {
        check_round_trip(format, file);
        if (format.id == "wopn" && size >= 6 && std::memcmp(data, "WOPN2-", 6) == 0) {
            std::vector<uint8_t> padded(file.begin(), file.end());
            padded.resize(std::max<std::size_t>(size, 18), 0);
            padded.resize(std::max(padded.size(), claimed_wopn_size(padded)), 0);
            check_round_trip(format, padded);
        }
    }
    const voice_file_read recognised = read_voice_bytes("input", file);
    FUZZ_CHECK(recognised.done() || !recognised.problem.empty());
    return 0;
}

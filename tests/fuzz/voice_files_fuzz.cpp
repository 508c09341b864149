// Reads the input with every instrument and bank file reader of the format table.
// Checks: whatever a reader accepts, its format's writer writes, and the same reader reads
// those bytes back to the same named voices with nothing dropped; recognition by content
// picks a format whose reader is then used.

#include "formats/voice_formats.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kavelo;
    const std::span<const uint8_t> file(data, size);
    for (const voice_format& format : voice_formats()) {
        const voice_file_read read = format.read(file);
        if (!read.ok) {
            FUZZ_CHECK(!read.problem.empty());
            continue;
        }
        FUZZ_CHECK(format.kind == voice_file_kind::bank || read.voices.size() == 1);
        if (!format.write) {
            continue;
        }
        std::vector<uint8_t> written;
        const voice_file_written result = write_voice_bytes(format, read.voices, written);
        FUZZ_CHECK(result.ok);
        FUZZ_CHECK(result.lost.empty());
        const voice_file_read again = format.read(written);
        FUZZ_CHECK(again.ok);
        FUZZ_CHECK(again.dropped.empty());
        FUZZ_CHECK(again.voices == read.voices);
    }
    const voice_file_read recognised = read_voice_bytes("input", file);
    FUZZ_CHECK(recognised.ok || !recognised.problem.empty());
    return 0;
}

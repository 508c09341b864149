#include "track/track_source.h"

#include "rom/file_image.h"
#include "rom/voice_table.h"

#include <algorithm>

namespace kavelo {

op_result read_track_source(const rom_access& access, uint32_t start, track_source& source) {
    file_image file = read_file_image(access.fs, access.path);
    if (file.status != read_status::ok) {
        return read_failure(file.status, access.path);
    }
    source = {std::move(file.bytes), access.mode, start};
    return {};
}

op_result put_track_header(track_source& source, const track_header& header) {
    const std::size_t length = header.size();
    if (uint64_t{source.track_start} + length > source.image.size()) {
        return refused("The header as typed does not fit in the file.");
    }
    std::copy_n(header.bytes.begin(), length, source.image.begin() + source.track_start);
    return {};
}

int32_t put_track_voices(track_source& source, std::span<const voice_record> voices) {
    voice_table_extent extent;
    if (locate_voice_table(source.image, source.mode, source.track_start, extent).code !=
        result_done) {
        return 0;
    }
    const auto count =
        std::min<std::size_t>(voices.size(), static_cast<std::size_t>(extent.voices_in_track));
    for (std::size_t i = 0; i < count; ++i) {
        const voice_record stored = swap_voice_order(voices[i]);
        std::copy(stored.begin(), stored.end(),
                  source.image.begin() + extent.table_start + voice_record_size * i);
    }
    return static_cast<int32_t>(count);
}

} // namespace kavelo

#include "rom/voice_table.h"

#include "rom/byte_order.h"
#include "rom/file_image.h"
#include "rom/track_table.h"

#include <algorithm>
#include <cstdio>

namespace kavelo {

static std::string hex_offset(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

op_result locate_voice_table(std::span<const uint8_t> image, file_mode mode, uint32_t start,
                             voice_table_extent& extent) {
    const uint64_t size = image.size();
    if (uint64_t{start} + 2 > size) {
        return refused("The track at " + hex_offset(start) + " lies outside the file (" +
                       std::to_string(size) + " bytes).");
    }
    uint64_t end = size;
    if (mode == file_mode::rom_image) {
        end = track_end_offset(static_cast<int32_t>(start));
        if (end > size) {
            return refused("The file is too short for the track at " + hex_offset(start) +
                           ": the track ends at " + hex_offset(end) + " but the file has only " +
                           std::to_string(size) + " bytes.");
        }
    }
    const uint64_t table_start = start + uint64_t{read_be16(image.subspan(start).first<2>())};
    extent.table_start = static_cast<uint32_t>(table_start);
    // A table offset at or past the track end leaves no voices.
    extent.voices_in_track = table_start < end ? static_cast<int32_t>((end - table_start) / 25) : 0;
    return {};
}

op_result load_track_voices(const rom_access& access, uint32_t start, voice_table& table) {
    file_image file = read_file_image(access.fs, access.path);
    if (file.status != read_status::ok) {
        return read_failure(file.status, access.path);
    }
    voice_table_extent extent;
    op_result located = locate_voice_table(file.bytes, access.mode, start, extent);
    if (located.code != result_done) {
        return located;
    }
    const int32_t count = std::min(extent.voices_in_track, voice_table_capacity);
    for (int32_t i = 0; i < count; ++i) {
        voice_record stored;
        std::copy_n(file.bytes.begin() + extent.table_start + 25 * i, voice_record_size,
                    stored.begin());
        table.voices[i] = swap_voice_order(stored);
    }
    table.count = count;
    if (extent.voices_in_track > voice_table_capacity && access.log) {
        access.log("  * This track holds " + std::to_string(extent.voices_in_track) +
                   " voices; only the first " + std::to_string(voice_table_capacity) +
                   " are loaded");
    }
    return {};
}

} // namespace kavelo

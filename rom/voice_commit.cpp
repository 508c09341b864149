#include "rom/voice_commit.h"

#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"
#include "rom/voice_table.h"

#include <algorithm>

namespace kavelo {

op_result commit_voice(const rom_access& access, uint32_t track_start, voice_table& table,
                       int32_t voice_index, const voice_record& displayed) {
    file_image file = read_file_image(access.fs, access.path);
    if (file.status != read_status::ok) {
        return read_failure(file.status, access.path);
    }
    if (voice_index < 0 || voice_index >= table.count) {
        return refused(table.count == 0
                           ? "This track has no voices, so there is no slot to save into."
                           : "Voice " + std::to_string(voice_index) +
                                 " is not among the track's loaded voices.");
    }
    // The slot is found as the load found it, from the table offset the file holds now.
    voice_table_extent extent;
    op_result located = locate_voice_table(file.bytes, access.mode, track_start, extent);
    if (located.code != result_done) {
        return located;
    }
    const uint64_t position =
        uint64_t{extent.table_start} + 25ull * static_cast<uint64_t>(voice_index);
    if (position + voice_record_size > file.bytes.size()) {
        return refused("Voice " + std::to_string(voice_index) +
                       " would lie past the end of the file; nothing was written.");
    }

    table.voices[voice_index] = displayed;
    const voice_record stored = swap_voice_order(displayed);
    std::copy(stored.begin(), stored.end(),
              file.bytes.begin() + static_cast<std::ptrdiff_t>(position));
    if (access.log) {
        access.log("  * Writing changes to ROM");
    }
    if (!replace_file_atomically(access.fs, access.path, file.bytes)) {
        return {result_write_failed, {}};
    }
    if (access.log) {
        access.log("  * Voice Edited successfully!");
    }
    if (access.mode == file_mode::rom_image) {
        log_checksum_mismatch(file.bytes, access.log);
    }
    return {};
}

} // namespace kavelo

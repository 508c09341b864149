#include "rom/track_header.h"

#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"

#include <algorithm>

namespace kavelo {

static op_result read_checked(const rom_access& access, uint32_t start, file_image& file) {
    file = read_file_image(access.fs, access.path);
    if (file.status == read_status::cannot_open) {
        return {result_cannot_read, describe_read_failure(file.status, access.path)};
    }
    if (file.status != read_status::ok) {
        return refused(describe_read_failure(file.status, access.path));
    }
    if (uint64_t{start} + track_header_size > file.bytes.size()) {
        return refused("The file (" + std::to_string(file.bytes.size()) +
                       " bytes) is too short to hold a 48-byte track header at offset " +
                       std::to_string(start) + ".");
    }
    return {};
}

op_result read_track_header(const rom_access& access, uint32_t start, track_header& header) {
    file_image file;
    op_result checked = read_checked(access, start, file);
    if (checked.code == result_done) {
        std::copy_n(file.bytes.begin() + start, track_header_size, header.begin());
    }
    return checked;
}

op_result commit_track_header(const rom_access& access, uint32_t start,
                              const track_header& header) {
    file_image file;
    op_result checked = read_checked(access, start, file);
    if (checked.code != result_done) {
        return checked;
    }
    std::copy(header.begin(), header.end(), file.bytes.begin() + start);
    if (access.log) {
        access.log("  * Writing changes to ROM");
    }
    if (!replace_file_atomically(access.fs, access.path, file.bytes)) {
        return {result_write_failed, {}};
    }
    if (access.log) {
        access.log("  * Header Edited successfully!");
    }
    if (access.mode == file_mode::rom_image) {
        log_checksum_mismatch(file.bytes, access.log);
    }
    return {};
}

} // namespace kavelo

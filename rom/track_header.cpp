#include "rom/track_header.h"

#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"

#include <algorithm>

namespace kavelo {

bool track_header::operator==(const track_header& other) const {
    const std::size_t length = size();
    return length == other.size() &&
           std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length),
                      other.bytes.begin());
}

static op_result read_image(const rom_access& access, file_image& file) {
    file = read_file_image(access.fs, access.path);
    if (file.status != read_status::ok) {
        return read_failure(file.status, access.path);
    }
    return {};
}

// The length of the header at `start` as its own bytes 2-3 give it.
static std::size_t header_length_at(std::span<const uint8_t> image, uint32_t start) {
    if (start >= image.size()) {
        return fixed_header_size;
    }
    const std::span<const uint8_t> track = image.subspan(start);
    return header_layout_of(track.first(std::min<std::size_t>(4, track.size()))).size;
}

static op_result check_fits(std::size_t image_size, uint32_t start, std::size_t length) {
    if (uint64_t{start} + length > image_size) {
        return refused("The file (" + std::to_string(image_size) +
                       " bytes) is too short to hold a " + std::to_string(length) +
                       "-byte track header at offset " + std::to_string(start) + ".");
    }
    return {};
}

op_result read_track_header(const rom_access& access, uint32_t start, track_header& header) {
    file_image file;
    op_result checked = read_image(access, file);
    const std::size_t length = header_length_at(file.bytes, start);
    if (checked.code == result_done) {
        checked = check_fits(file.bytes.size(), start, length);
    }
    if (checked.code == result_done) {
        header.bytes.fill(0);
        std::copy_n(file.bytes.begin() + start, length, header.bytes.begin());
    }
    return checked;
}

op_result commit_track_header(const rom_access& access, uint32_t start,
                              const track_header& header) {
    file_image file;
    const std::size_t length = header.size();
    op_result checked = read_image(access, file);
    if (checked.code == result_done) {
        checked = check_fits(file.bytes.size(), start, length);
    }
    if (checked.code != result_done) {
        return checked;
    }
    std::copy_n(header.bytes.begin(), length, file.bytes.begin() + start);
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

#include "rom/file_image.h"

namespace kavelo {

file_image read_file_image(const file_system& fs, const std::string& path) {
    file_image image;
    image.status = fs.read_file(path, max_file_size, image.bytes);
    if (image.status != read_status::ok) {
        image.bytes.clear();
    }
    return image;
}

std::string describe_read_failure(read_status status, const std::string& path) {
    switch (status) {
    case read_status::ok:
        return {};
    case read_status::cannot_open:
        return "Cannot open " + path + " for reading.";
    case read_status::too_large:
        return path + " is larger than 8 MiB, too large for a ROM image or track.";
    case read_status::read_failed:
        break;
    }
    return "Reading " + path + " failed.";
}

op_result read_failure(read_status status, const std::string& path) {
    return {status == read_status::cannot_open ? result_cannot_read : result_refused,
            describe_read_failure(status, path)};
}

bool replace_file_atomically(const file_system& fs, const std::string& path,
                             std::span<const uint8_t> bytes) {
    // Replacing by rename would otherwise slip past a read-only file.
    if (fs.is_read_only(path)) {
        return false;
    }
    std::unique_ptr<temp_file> temp = fs.create_temp_beside(path);
    if (!temp) {
        return false;
    }
    const std::string temp_path = temp->path();
    const bool written = temp->write(bytes) && temp->flush() && temp->close();
    temp.reset();
    if (!written || !fs.replace(temp_path, path)) {
        fs.remove(temp_path);
        return false;
    }
    return true;
}

} // namespace kavelo

#include "rom/rom_access.h"

#include <cstring>

namespace kavelo {

bool rom_serial_matches(std::span<const uint8_t> head) {
    if (head.size() < rom_serial_offset + rom_serial_length) {
        return false; // bytes that were never read do not match
    }
    // A zero byte inside the field ends the serial early, so it cannot match.
    return std::memcmp(head.data() + rom_serial_offset, rom_serial, rom_serial_length) == 0;
}

bool rom_is_compatible(const file_system& fs, const std::string& path) {
    std::vector<uint8_t> head;
    if (fs.read_head(path, 512, head) != read_status::ok) {
        return false;
    }
    return rom_serial_matches(head);
}

} // namespace kavelo

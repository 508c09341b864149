#include "rom/cartridge_checksum.h"

#include "rom/byte_order.h"
#include "rom/file_image.h"

#include <cstdio>

namespace kavelo {

uint16_t cartridge_checksum(std::span<const uint8_t> image) {
    uint16_t sum = 0;
    for (std::size_t at = checksum_start; at < image.size(); at += 2) {
        const uint8_t low = at + 1 < image.size() ? image[at + 1] : 0;
        sum = static_cast<uint16_t>(sum + (image[at] << 8 | low));
    }
    return sum;
}

std::optional<checksum_words> read_checksum(std::span<const uint8_t> image) {
    if (image.size() < checksum_start) {
        return std::nullopt;
    }
    return checksum_words{read_be16(image.subspan(checksum_offset).first<2>()),
                          cartridge_checksum(image)};
}

std::string checksum_hex(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

void log_checksum_mismatch(std::span<const uint8_t> image, const log_sink& log) {
    const std::optional<checksum_words> words = read_checksum(image);
    if (!log || !words || words->matches()) {
        return;
    }
    log("  * Note: the cartridge checksum at 0x18E (" + checksum_hex(words->stored) +
        ") no longer matches the ROM (" + checksum_hex(words->computed) +
        "); Tools > Fix Checksum writes the right one.");
}

op_result fix_checksum(const rom_access& access) {
    file_image file = read_file_image(access.fs, access.path);
    if (file.status != read_status::ok) {
        return read_failure(file.status, access.path);
    }
    const std::optional<checksum_words> words = read_checksum(file.bytes);
    if (!words) {
        return refused("The file (" + std::to_string(file.bytes.size()) +
                       " bytes) is too short for a cartridge header; nothing was written.");
    }
    write_be16(std::span(file.bytes).subspan(checksum_offset).first<2>(), words->computed);
    if (access.log) {
        access.log("  * Writing changes to ROM");
    }
    if (!replace_file_atomically(access.fs, access.path, file.bytes)) {
        return {result_write_failed, {}};
    }
    if (access.log) {
        access.log("  * Checksum Fixed successfully!");
    }
    return {};
}

} // namespace kavelo

#include "rom/voice_record.h"

#include <utility>

namespace kavelo {

voice_record swap_voice_order(const voice_record& record) {
    voice_record swapped = record;
    for (std::size_t group = 1; group < voice_record_size; group += 4) {
        std::swap(swapped[group], swapped[group + 3]);
    }
    return swapped;
}

std::string voice_to_hex(const voice_record& record) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * voice_record_size);
    for (uint8_t byte : record) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

static int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<voice_record> voice_from_hex(std::string_view hex) {
    if (hex.size() != 2 * voice_record_size) {
        return std::nullopt;
    }
    voice_record record{};
    for (std::size_t i = 0; i < voice_record_size; ++i) {
        int high = hex_digit_value(hex[2 * i]);
        int low = hex_digit_value(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        record[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return record;
}

} // namespace kavelo

#pragma once
// "0x72E7C", "0x00EE": how offsets and addresses appear in the drum messages.

#include <cstdio>
#include <string>

namespace kavelo {

inline std::string drum_hex(std::size_t value, int digits = 1) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

} // namespace kavelo

#pragma once
// The worked example tracks in tests/data/track: hex text, read as bytes.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo::test {

// Bytes written in hex, "81 01 F2".
inline std::vector<uint8_t> hex_bytes(std::string_view hex) {
    std::vector<uint8_t> out;
    std::istringstream in{std::string(hex)};
    for (unsigned value = 0; in >> std::hex >> value;) {
        out.push_back(static_cast<uint8_t>(value));
    }
    return out;
}

// The text of tests/data/track/`name`.
inline std::string track_data_text(const std::string& name) {
    std::ifstream in(std::string(KAVELO_TEST_DATA_DIR) + "/track/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<uint8_t> example_track(const std::string& name) {
    return hex_bytes(track_data_text(name + ".track"));
}

} // namespace kavelo::test

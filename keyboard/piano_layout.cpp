#include "keyboard/piano_layout.h"

#include <array>
#include <string_view>

namespace kavelo {

namespace {

constexpr std::array<bool, 12> is_black = {false, true,  false, true,  false, false,
                                           true,  false, true,  false, true,  false};
constexpr std::string_view lower_row = "ZSXDCVGBHNJM";
constexpr std::string_view upper_row = "Q2W3ER5T6Y7U";

} // namespace

std::vector<piano_key> piano_keys(int32_t first_note, int32_t octaves, int32_t width,
                                  int32_t height) {
    const int32_t whites = 7 * octaves + 1;
    const int32_t black_height = height * 62 / 100;
    std::vector<piano_key> keys;
    std::vector<piano_key> blacks;
    int32_t white_index = 0;
    const auto white_left = [&](int32_t index) { return index * width / whites; };
    for (int32_t note = first_note; note <= first_note + 12 * octaves; ++note) {
        if (is_black[static_cast<std::size_t>(note % 12)]) {
            // Centred on the line between the white key before it and the next one.
            const int32_t centre = white_left(white_index);
            const int32_t half = width / whites * 3 / 10;
            blacks.push_back({note, true, centre - half, 0, centre + half, black_height});
            continue;
        }
        keys.push_back(
            {note, false, white_left(white_index), 0, white_left(white_index + 1), height});
        ++white_index;
    }
    keys.insert(keys.end(), blacks.begin(), blacks.end());
    return keys;
}

int32_t piano_note_at(const std::vector<piano_key>& keys, int32_t x, int32_t y) {
    const auto inside = [&](const piano_key& k) {
        return x >= k.left && x < k.right && y >= k.top && y < k.bottom;
    };
    for (const piano_key& k : keys) {
        if (k.black && inside(k)) {
            return k.note;
        }
    }
    for (const piano_key& k : keys) {
        if (!k.black && inside(k)) {
            return k.note;
        }
    }
    return -1;
}

int32_t tracker_key_semitone(uint32_t key) {
    if (key > 0x7F) {
        return -1;
    }
    const char c = static_cast<char>(key);
    if (const std::size_t i = lower_row.find(c); i != std::string_view::npos) {
        return static_cast<int32_t>(i);
    }
    if (const std::size_t i = upper_row.find(c); i != std::string_view::npos) {
        return 12 + static_cast<int32_t>(i);
    }
    return -1;
}

} // namespace kavelo

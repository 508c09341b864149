#include "rom/track_table.h"

#include <cctype>
#include <charconv>

namespace kavelo {

uint32_t track_end_offset(int32_t offset) {
    for (const track_entry& track : track_table) {
        if (static_cast<int32_t>(track.end) > offset) {
            return track.end;
        }
    }
    return 0;
}

static bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<int32_t> find_track(std::string_view index_or_name) {
    int32_t index = -1;
    const char* end = index_or_name.data() + index_or_name.size();
    auto [ptr, error] = std::from_chars(index_or_name.data(), end, index);
    if (error == std::errc{} && ptr == end) {
        if (index >= 0 && index < track_count) {
            return index;
        }
        return std::nullopt;
    }
    for (int32_t i = 0; i < track_count; ++i) {
        if (equal_ignoring_case(track_table[i].name, index_or_name)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace kavelo

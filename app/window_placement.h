#pragma once
// Where a window opens beside another one: on the first side, in the order asked, where it
// fits the monitor's work area whole; failing all, on the first side, moved into the work
// area as far as it goes. A window larger than the work area keeps its top-left corner on it.

#include <array>
#include <cstdint>
#include <span>

namespace kavelo {

struct screen_rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const screen_rect&) const = default;
};

enum class window_side : uint8_t { right, below, left, above };

// The editors open to the right of the main window, or below it where the screen is too
// narrow; the Keyboard window the same way beside the Voice editor it plays.
inline constexpr std::array<window_side, 4> right_first{window_side::right, window_side::below,
                                                        window_side::left, window_side::above};

inline constexpr int32_t window_gap = 8; // pixels between the two windows

// The rectangle of a `width` x `height` window placed beside `anchor`; on the right or left
// its top lines up with the anchor's, below or above its left edge does.
screen_rect place_beside(const screen_rect& anchor, int32_t width, int32_t height,
                         const screen_rect& work_area, std::span<const window_side> sides);

} // namespace kavelo

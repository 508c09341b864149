#include "app/window_placement.h"

#include <algorithm>

namespace kavelo {

namespace {

// Moves [start, start + length) into [low, high); a span longer than that starts at low.
int32_t into_range(int32_t start, int32_t length, int32_t low, int32_t high) {
    return std::max(low, std::min(start, high - length));
}

screen_rect on_side(const screen_rect& anchor, int32_t width, int32_t height, window_side side) {
    int32_t left = anchor.left;
    int32_t top = anchor.top;
    switch (side) {
    case window_side::right:
        left = anchor.right + window_gap;
        break;
    case window_side::left:
        left = anchor.left - window_gap - width;
        break;
    case window_side::below:
        top = anchor.bottom + window_gap;
        break;
    case window_side::above:
        top = anchor.top - window_gap - height;
        break;
    }
    return {left, top, left + width, top + height};
}

// Beside the anchor the window may slide along it, never onto it.
bool fits(const screen_rect& r, window_side side, const screen_rect& work) {
    const bool across = side == window_side::right || side == window_side::left;
    return across ? r.left >= work.left && r.right <= work.right
                  : r.top >= work.top && r.bottom <= work.bottom;
}

screen_rect kept_on(const screen_rect& r, const screen_rect& work) {
    const int32_t width = r.right - r.left;
    const int32_t height = r.bottom - r.top;
    const int32_t left = into_range(r.left, width, work.left, work.right);
    const int32_t top = into_range(r.top, height, work.top, work.bottom);
    return {left, top, left + width, top + height};
}

} // namespace

screen_rect place_beside(const screen_rect& anchor, int32_t width, int32_t height,
                         const screen_rect& work_area, std::span<const window_side> sides) {
    for (const window_side side : sides) {
        const screen_rect r = on_side(anchor, width, height, side);
        if (fits(r, side, work_area)) {
            return kept_on(r, work_area);
        }
    }
    const window_side first = sides.empty() ? window_side::right : sides.front();
    return kept_on(on_side(anchor, width, height, first), work_area);
}

} // namespace kavelo

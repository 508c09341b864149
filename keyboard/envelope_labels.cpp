#include "keyboard/envelope_labels.h"

#include <algorithm>

namespace kavelo {

label_place place_key_off_label(const key_off_label_request& r) {
    const int32_t right_side = r.line_x + r.gap;
    const int32_t left_side = r.line_x - r.gap - r.width;
    const int32_t legend_edge = r.legend_left - r.gap;
    if (right_side + r.width <= legend_edge) {
        return {right_side, false};
    }
    if (left_side >= r.row_left && left_side + r.width <= legend_edge) {
        return {left_side, false};
    }
    const int32_t below = right_side + r.width <= r.row_right ? right_side : left_side;
    return {std::max(below, r.row_left), true};
}

} // namespace kavelo

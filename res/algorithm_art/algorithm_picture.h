// Lays out and draws one algorithm picture from its row of the algorithm table: the operator
// diagram on the left (output arrow at the far left, signal flowing right to left), the
// caption, the instrument list and a legend on the right.
#pragma once

#include "algorithm_table.h"
#include "canvas.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace algorithm_picture {

inline constexpr int width = 324;
inline constexpr int height = 60;

namespace colour {
inline constexpr rgb5 background{31, 31, 31};
inline constexpr rgb5 frame{21, 21, 22};
inline constexpr rgb5 separator{27, 27, 28};
inline constexpr rgb5 line{4, 5, 8};
inline constexpr rgb5 carrier{22, 27, 31};
inline constexpr rgb5 modulator{31, 31, 31};
inline constexpr rgb5 caption{2, 6, 17};
inline constexpr rgb5 text{7, 7, 8};
} // namespace colour

// Diagram geometry in pixels.
inline constexpr int box_width = 21;
inline constexpr int box_height = 11;
inline constexpr int first_column_x = 29;
inline constexpr int column_pitch = 36; // 15-pixel gap: arrowhead, join dot, feedback tap
inline constexpr int first_row_y = 7;
inline constexpr int half_row_pitch = 9;
inline constexpr int bus_x = 24;      // vertical bus that gathers the heard boxes
inline constexpr int arrow_tip_x = 3; // the output arrow points out of the left edge
inline constexpr int arrow_length = 4;
inline constexpr int loop_rise = 4; // feedback loop height above box 1
inline constexpr int loop_reach = 4;

// Text column.
inline constexpr int separator_x = 165;
inline constexpr int text_x = 171;
inline constexpr int text_right = width - 6;
inline constexpr int caption_y = 3;
inline constexpr int first_list_y = 14;
inline constexpr int list_pitch = 10;
inline constexpr int max_list_lines = 3;
inline constexpr int legend_y = 47;

struct box_rect {
    int left, top;
    int right() const { return left + box_width - 1; }
    int bottom() const { return top + box_height - 1; }
    int mid_y() const { return top + box_height / 2; }
    int mid_x() const { return left + box_width / 2; }
};

inline box_rect rect_of(const algorithm_table::place& p) {
    return {first_column_x + p.column * column_pitch, first_row_y + p.half_row * half_row_pitch};
}

inline bool is_heard(const algorithm_table::algorithm& a, int box) {
    return (a.heard >> (box - 1) & 1) != 0;
}

// Greedy wrap at the ", " between items, keeping the comma at the end of a line.
inline std::vector<std::string> wrap(std::string_view list, int max_width) {
    std::vector<std::string> lines;
    std::string line;
    while (!list.empty()) {
        const std::size_t cut = list.find(", ");
        const bool last = cut == std::string_view::npos;
        const std::string item(last ? list : list.substr(0, cut + 1));
        list = last ? std::string_view{} : list.substr(cut + 2);
        const std::string joined = line.empty() ? item : line + " " + item;
        if (!line.empty() && canvas::text_width(joined) > max_width) {
            lines.push_back(line);
            line = item;
        } else {
            line = joined;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    for (const std::string& l : lines)
        if (canvas::text_width(l) > max_width)
            throw std::length_error("instrument item too wide: " + l);
    return lines;
}

// A 3x3 dot where three or four line ends meet, so joins read apart from crossings.
inline void mark_join(canvas& pic, int x, int y) {
    int arms = 0;
    for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
        arms += pic.at(x + dx, y + dy) == colour::line ? 1 : 0;
    if (arms >= 3)
        pic.fill(x - 1, y - 1, 3, 3, colour::line);
}

inline void draw_diagram(canvas& pic, const algorithm_table::algorithm& a) {
    std::vector<std::pair<int, int>> bends;

    // Modulation: leave the source's left side, bend in the middle of the gap before the
    // target's column, enter the target's right side.
    for (int i = 0; i < a.link_count; ++i) {
        const box_rect from = rect_of(a.boxes[a.links[i].from - 1]);
        const box_rect to = rect_of(a.boxes[a.links[i].to - 1]);
        const int bend_x = to.right() + 8;
        pic.hline(from.left - 1, bend_x, from.mid_y(), colour::line);
        pic.vline(bend_x, from.mid_y(), to.mid_y(), colour::line);
        pic.hline(bend_x, to.right() + 1, to.mid_y(), colour::line);
        pic.arrow_left(to.right() + 1, to.mid_y(), arrow_length, colour::line);
        bends.emplace_back(bend_x, from.mid_y());
        bends.emplace_back(bend_x, to.mid_y());
    }

    // Output: gather the heard boxes into one bus and lead it to the arrow at the left.
    int low = height, high = 0, rightmost = 0;
    for (int box = 1; box <= 4; ++box) {
        if (!is_heard(a, box))
            continue;
        const box_rect r = rect_of(a.boxes[box - 1]);
        low = std::min(low, r.mid_y());
        high = std::max(high, r.mid_y());
        rightmost = std::max(rightmost, r.mid_x());
    }
    if (a.output == algorithm_table::output_style::left_bus) {
        const int arrow_y = (low + high) / 2;
        for (int box = 1; box <= 4; ++box) {
            if (is_heard(a, box)) {
                const box_rect r = rect_of(a.boxes[box - 1]);
                pic.hline(bus_x, r.left - 1, r.mid_y(), colour::line);
                bends.emplace_back(bus_x, r.mid_y());
            }
        }
        pic.vline(bus_x, low, high, colour::line);
        pic.hline(arrow_tip_x, bus_x, arrow_y, colour::line);
        pic.arrow_left(arrow_tip_x, arrow_y, arrow_length, colour::line);
        pic.text(arrow_tip_x, arrow_y - 12, "out", colour::text);
        bends.emplace_back(bus_x, arrow_y);
    } else {
        const int bus_y = high + 2 * half_row_pitch;
        for (int box = 1; box <= 4; ++box) {
            const box_rect r = rect_of(a.boxes[box - 1]);
            pic.vline(r.mid_x(), r.bottom() + 1, bus_y, colour::line);
            bends.emplace_back(r.mid_x(), bus_y);
        }
        pic.hline(arrow_tip_x, rightmost, bus_y, colour::line);
        pic.arrow_left(arrow_tip_x, bus_y, arrow_length, colour::line);
        pic.text(arrow_tip_x, bus_y - 12, "out", colour::text);
    }
    for (const auto& [x, y] : bends)
        mark_join(pic, x, y);

    // Feedback on box 1: tap its output, run over the box and back into its input.
    const box_rect one = rect_of(a.boxes[0]);
    const int tap_x = one.left - 3, loop_y = one.top - loop_rise, back_x = one.right() + loop_reach;
    pic.hline(tap_x, one.left - 1, one.mid_y(), colour::line);
    pic.vline(tap_x, loop_y, one.mid_y(), colour::line);
    pic.hline(tap_x, back_x, loop_y, colour::line);
    pic.vline(back_x, loop_y, one.mid_y(), colour::line);
    pic.hline(one.right() + 1, back_x, one.mid_y(), colour::line);
    pic.arrow_left(one.right() + 1, one.mid_y(), arrow_length - 1, colour::line);

    for (int box = 1; box <= 4; ++box) {
        const box_rect r = rect_of(a.boxes[box - 1]);
        pic.fill(r.left, r.top, box_width, box_height,
                 is_heard(a, box) ? colour::carrier : colour::modulator);
        pic.frame(r.left, r.top, box_width, box_height, colour::line);
        const std::string digit(1, static_cast<char>('0' + box));
        pic.text(r.left + (box_width - canvas::text_width(digit)) / 2, r.top + 2, digit,
                 colour::line);
    }
}

inline void draw_legend_key(canvas& pic, int x, rgb5 fill, std::string_view label) {
    pic.fill(x, legend_y, 11, 7, fill);
    pic.frame(x, legend_y, 11, 7, colour::line);
    pic.text(x + 14, legend_y - 1, label, colour::text);
}

inline canvas draw(int number) {
    const algorithm_table::algorithm& a = algorithm_table::algorithms.at(number);
    canvas pic(width, height, colour::background);
    pic.frame(0, 0, width, height, colour::frame);
    draw_diagram(pic, a);

    pic.vline(separator_x, 4, height - 5, colour::separator);
    pic.text(text_x, caption_y, "Algorithm " + std::to_string(number), colour::caption);
    const std::vector<std::string> lines = wrap(a.instruments, text_right - text_x);
    if (lines.size() > max_list_lines)
        throw std::length_error("instrument list needs more than three lines");
    for (std::size_t i = 0; i < lines.size(); ++i)
        pic.text(text_x, first_list_y + static_cast<int>(i) * list_pitch, lines[i], colour::text);

    draw_legend_key(pic, text_x, colour::carrier, "carrier");
    draw_legend_key(pic, text_x + 66, colour::modulator, "modulator");
    return pic;
}

} // namespace algorithm_picture

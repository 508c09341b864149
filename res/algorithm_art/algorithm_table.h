// The eight algorithms as data: where each operator box sits, which box modulates which, which
// boxes are heard, and the instruments each algorithm suits. A second table holds the chip's
// own routes so the self-check can prove the pictures connect the operators as the chip does.
//
// Boxes are numbered in the chip's connection order: box 1 is operator OP1 (register offset
// 0x00), box 2 is OP3 (0x08), box 3 is OP2 (0x04) and box 4 is OP4 (0x0C).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace algorithm_table {

// Grid place of a box. Column 0 is next to the output arrow at the left; signal flows right
// to left. Half rows 0-4 run from top to bottom, so two rows of boxes at half rows 1 and 3
// sit centred in the picture.
struct place {
    int column;
    int half_row;
};

struct link {
    int from, to; // box numbers 1-4; `from` modulates `to`
};

enum class output_style {
    left_bus, // heard boxes lead left into one vertical bus, then to the output arrow
    under_row // heard boxes side by side drop into a bus under the row
};

struct algorithm {
    std::array<place, 4> boxes; // index: box number - 1
    std::array<link, 3> links;
    int link_count;
    uint8_t heard; // bit n - 1 set: box n is a carrier
    output_style output;
    std::string_view instruments; // items separated by ", "
};

// clang-format off
inline constexpr std::array<algorithm, 8> algorithms{{
    // 1 -> 2 -> 3 -> 4, drawn 4 3 2 1 from the left
    {{{{3, 2}, {2, 2}, {1, 2}, {0, 2}}}, {{{1, 2}, {2, 3}, {3, 4}}}, 3, 0b1000,
     output_style::left_bus, "distortion guitar, bass, high-hat chopper"},
    // (1 + 2) -> 3 -> 4
    {{{{2, 1}, {2, 3}, {1, 2}, {0, 2}}}, {{{1, 3}, {2, 3}, {3, 4}}}, 3, 0b1000,
     output_style::left_bus, "harp, PSG sound"},
    // 2 -> 3; (1 + 3) -> 4
    {{{{1, 1}, {2, 3}, {1, 3}, {0, 3}}}, {{{2, 3}, {1, 4}, {3, 4}}}, 3, 0b1000,
     output_style::left_bus, "bass, electric guitar, brass, piano, woods"},
    // 1 -> 2; (2 + 3) -> 4
    {{{{2, 1}, {1, 1}, {1, 3}, {0, 3}}}, {{{1, 2}, {2, 4}, {3, 4}}}, 3, 0b1000,
     output_style::left_bus, "strings, folk guitar, chimes"},
    // 1 -> 2 and 3 -> 4, 2 and 4 heard
    {{{{1, 1}, {0, 1}, {1, 3}, {0, 3}}}, {{{1, 2}, {3, 4}, {0, 0}}}, 2, 0b1010,
     output_style::left_bus, "flute, bells, chorus, bass drum, snare drum, tom-tom"},
    // 1 modulates 2, 3 and 4, which are heard
    {{{{1, 2}, {0, 0}, {0, 2}, {0, 4}}}, {{{1, 2}, {1, 3}, {1, 4}}}, 3, 0b1110,
     output_style::left_bus, "brass, organ"},
    // 1 -> 2; 2, 3 and 4 heard
    {{{{1, 0}, {0, 0}, {0, 2}, {0, 4}}}, {{{1, 2}, {0, 0}, {0, 0}}}, 1, 0b1110,
     output_style::left_bus, "xylophone, organ, vibraphone, snare drum, bass drum, tom-tom"},
    // four carriers side by side, drawn 4 3 2 1 from the left
    {{{{3, 1}, {2, 1}, {1, 1}, {0, 1}}}, {{{0, 0}, {0, 0}, {0, 0}}}, 0, 0b1111,
     output_style::under_row, "pipe organ"},
}};
// clang-format on

// The chip's routes, by operator name: where the outputs of OP1, OP3 and OP2 go (OP4 always
// goes to the output). in2, in3 and in4 are the modulation inputs of OP2, OP3 and OP4.
enum route : uint8_t { in2 = 1, in3 = 2, in4 = 4, out = 8 };

struct chip_routes {
    uint8_t op1, op3, op2;
};

inline constexpr std::array<chip_routes, 8> chip{{
    {in3, in2, in4},
    {in2, in2, in4},
    {in4, in2, in4},
    {in3, in4, in4},
    {in3, out, in4},
    {in3 | in2 | in4, out, out},
    {in3, out, out},
    {out, out, out},
}};

// Box number of the operator whose modulation input a route bit names.
constexpr int box_of_input(route r) {
    return r == in3 ? 2 : r == in2 ? 3 : 4;
}

} // namespace algorithm_table

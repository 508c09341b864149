#pragma once
// The 18 header bytes the Track Header Editor shows, each with its edit field, and the
// text they are shown as and read back from.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavelo {

struct header_field {
    uint16_t control_id;
    uint8_t byte;          // offset in the 48-byte track header
    std::string_view name; // the command line's name for the field
};

inline constexpr std::array<header_field, 18> header_fields{{
    {1062, 5, "song_tempo"},
    {1063, 4, "half_tempo"},
    {1064, 32, "psg1_key"},
    {1065, 33, "psg1_volume"},
    {1066, 38, "psg2_key"},
    {1067, 39, "psg2_volume"},
    {1068, 44, "psg3_key"},
    {1069, 45, "psg3_volume"},
    {1070, 12, "fm1_key"},
    {1071, 13, "fm1_volume"},
    {1072, 16, "fm2_key"},
    {1073, 17, "fm2_volume"},
    {1074, 20, "fm3_key"},
    {1075, 21, "fm3_volume"},
    {1076, 24, "fm4_key"},
    {1077, 25, "fm4_volume"},
    {1078, 28, "fm5_key"},
    {1079, 29, "fm5_volume"},
}};

// Unsigned decimal, at least two characters, right-aligned ("%2i"): " 5", "244".
std::string format_header_byte(uint8_t value);

// A field's text as the editor reads it: at most the first 3 characters; leading white
// space, an optional sign, then decimal digits up to the first other character (none
// gives 0); the low 8 bits of the number are stored, so "-1" gives 255 and "300" 44.
uint8_t read_header_text(std::string_view text);

const header_field* find_header_field(std::string_view name);

} // namespace kavelo

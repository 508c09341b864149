#pragma once
// The header bytes the Track Header Editor shows, each with its edit field, and the text
// they are shown as and read back from. A channel field's byte depends on the header's
// layout; a channel the header lacks has no byte.

#include "rom/track_header_layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavelo {

enum class header_field_kind : uint8_t { song_tempo, half_tempo, fm, psg };

struct header_field {
    uint16_t control_id;
    std::string_view name; // the command line's name for the field
    header_field_kind kind;
    uint8_t channel = 0; // FM 1-6 or PSG 1-3
    channel_modifier modifier = channel_modifier::key;
};

inline constexpr uint8_t song_tempo_byte = 5;
inline constexpr uint8_t half_tempo_byte = 4;

namespace header_field_table {
using enum header_field_kind;
inline constexpr channel_modifier key = channel_modifier::key;
inline constexpr channel_modifier volume = channel_modifier::volume;

// 1062-1079 in the dialog's order; FM channel 6 has its own block of ids from 1300.
inline constexpr std::array<header_field, 20> fields{{
    {1062, "song_tempo", song_tempo}, {1063, "half_tempo", half_tempo},
    {1064, "psg1_key", psg, 1, key},  {1065, "psg1_volume", psg, 1, volume},
    {1066, "psg2_key", psg, 2, key},  {1067, "psg2_volume", psg, 2, volume},
    {1068, "psg3_key", psg, 3, key},  {1069, "psg3_volume", psg, 3, volume},
    {1070, "fm1_key", fm, 1, key},    {1071, "fm1_volume", fm, 1, volume},
    {1072, "fm2_key", fm, 2, key},    {1073, "fm2_volume", fm, 2, volume},
    {1074, "fm3_key", fm, 3, key},    {1075, "fm3_volume", fm, 3, volume},
    {1076, "fm4_key", fm, 4, key},    {1077, "fm4_volume", fm, 4, volume},
    {1078, "fm5_key", fm, 5, key},    {1079, "fm5_volume", fm, 5, volume},
    {1300, "fm6_key", fm, 6, key},    {1301, "fm6_volume", fm, 6, volume},
}};
} // namespace header_field_table

inline constexpr const auto& header_fields = header_field_table::fields;

// The field's byte in a header of the given layout, or nothing for an absent channel.
std::optional<std::size_t> header_field_byte(const header_field& field,
                                             const track_header_layout& layout);

// Unsigned decimal, at least two characters, right-aligned ("%2i"): " 5", "244".
std::string format_header_byte(uint8_t value);

// A field's text as the editor reads it: at most the first 3 characters; leading white
// space, an optional sign, then decimal digits up to the first other character (none
// gives 0); the low 8 bits of the number are stored, so "-1" gives 255 and "300" 44.
uint8_t read_header_text(std::string_view text);

const header_field* find_header_field(std::string_view name);

} // namespace kavelo

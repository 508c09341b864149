#pragma once
// The header bytes the Track Header Editor shows, each with its edit field, and the text
// they are shown as and read back from. A channel field's byte depends on the header's
// layout; a channel the header lacks has no byte.

#include "res/header_editor_ids.h"
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

// The dialog's edit fields in its order (res/header_editor_ids.h); FM channel 6 has its own
// block of ids.
inline constexpr std::array<header_field, 20> fields{{
    {IDC_HEADER_SONG_TEMPO, "song_tempo", song_tempo},
    {IDC_HEADER_HALF_TEMPO, "half_tempo", half_tempo},
    {IDC_HEADER_PSG1_KEY, "psg1_key", psg, 1, key},
    {IDC_HEADER_PSG1_VOLUME, "psg1_volume", psg, 1, volume},
    {IDC_HEADER_PSG2_KEY, "psg2_key", psg, 2, key},
    {IDC_HEADER_PSG2_VOLUME, "psg2_volume", psg, 2, volume},
    {IDC_HEADER_PSG3_KEY, "psg3_key", psg, 3, key},
    {IDC_HEADER_PSG3_VOLUME, "psg3_volume", psg, 3, volume},
    {IDC_HEADER_FM1_KEY, "fm1_key", fm, 1, key},
    {IDC_HEADER_FM1_VOLUME, "fm1_volume", fm, 1, volume},
    {IDC_HEADER_FM2_KEY, "fm2_key", fm, 2, key},
    {IDC_HEADER_FM2_VOLUME, "fm2_volume", fm, 2, volume},
    {IDC_HEADER_FM3_KEY, "fm3_key", fm, 3, key},
    {IDC_HEADER_FM3_VOLUME, "fm3_volume", fm, 3, volume},
    {IDC_HEADER_FM4_KEY, "fm4_key", fm, 4, key},
    {IDC_HEADER_FM4_VOLUME, "fm4_volume", fm, 4, volume},
    {IDC_HEADER_FM5_KEY, "fm5_key", fm, 5, key},
    {IDC_HEADER_FM5_VOLUME, "fm5_volume", fm, 5, volume},
    {IDC_HEADER_FM6_KEY, "fm6_key", fm, 6, key},
    {IDC_HEADER_FM6_VOLUME, "fm6_volume", fm, 6, volume},
}};

// The first 18 ids run on by one in table order, as the ids header lays them out.
consteval bool ids_run_in_table_order() {
    for (std::size_t i = 0; i < 18; ++i) {
        if (fields[i].control_id != IDC_HEADER_SONG_TEMPO + static_cast<int>(i)) {
            return false;
        }
    }
    return fields[17].control_id == IDC_HEADER_FM5_VOLUME;
}
static_assert(ids_run_in_table_order(), "a header field id left the run 1062-1079");
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

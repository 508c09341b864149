#include "header_editor/header_fields.h"

#include <cctype>
#include <cstdio>

namespace kavelo {

std::optional<std::size_t> header_field_byte(const header_field& field,
                                             const track_header_layout& layout) {
    switch (field.kind) {
    case header_field_kind::song_tempo:
        return song_tempo_byte;
    case header_field_kind::half_tempo:
        return half_tempo_byte;
    case header_field_kind::fm:
        return channel_modifier_byte(layout, header_channel::fm, field.channel, field.modifier);
    case header_field_kind::psg:
        return channel_modifier_byte(layout, header_channel::psg, field.channel, field.modifier);
    }
    return std::nullopt;
}

std::string format_header_byte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%2i", static_cast<int>(value));
    return text;
}

uint8_t read_header_text(std::string_view text) {
    text = text.substr(0, 3); // the field is read into a 4-byte buffer with its terminator
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int number = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        number = number * 10 + (text[at] - '0');
        ++at;
    }
    return static_cast<uint8_t>(negative ? -number : number);
}

const header_field* find_header_field(std::string_view name) {
    for (const header_field& field : header_fields) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

} // namespace kavelo

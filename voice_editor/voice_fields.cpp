#include "voice_editor/voice_fields.h"

namespace kavelo {

std::array<field_control, 42> voice_field_controls() {
    std::array<field_control, 42> controls{};
    std::size_t next = 0;
    for (const voice_field& field : voice_fields) {
        if (!field.per_operator) {
            controls[next++] = {&field, field.control_id, field.first_byte};
        }
    }
    for (int op = 1; op <= 4; ++op) {
        for (const voice_field& field : voice_fields) {
            if (field.per_operator) {
                controls[next++] = {
                    &field,
                    static_cast<uint16_t>(field.control_id + operator_column_step * (op - 1)),
                    static_cast<uint8_t>(field.first_byte + 4 - op)};
            }
        }
    }
    return controls;
}

std::string field_entry_text(const voice_field& field, int entry) {
    return std::to_string(field.display == field_display::odd_numbers ? 2 * entry + 1 : entry);
}

uint8_t field_value(const voice_record& record, const field_control& control) {
    const voice_field& field = *control.field;
    return static_cast<uint8_t>((record[control.byte] >> field.shift) & ((1u << field.width) - 1));
}

void set_field_value(voice_record& record, const field_control& control, int value) {
    const voice_field& field = *control.field;
    const unsigned mask = ((1u << field.width) - 1) << field.shift;
    const unsigned bits = (static_cast<unsigned>(value) << field.shift) & mask;
    record[control.byte] = static_cast<uint8_t>((record[control.byte] & ~mask) | bits);
}

void voice_editor_show_voice(const voice_record& record, voice_controls& controls) {
    for (const field_control& control : voice_field_controls()) {
        const int value = field_value(record, control);
        if (control.field->display == field_display::check_box) {
            controls.check(control.control_id, value != 0);
        } else {
            controls.select(control.control_id, value);
        }
    }
}

voice_record voice_editor_read_voice(const voice_controls& controls) {
    voice_record record{};
    for (const field_control& control : voice_field_controls()) {
        int value = 0;
        if (control.field->display == field_display::check_box) {
            value = controls.checked(control.control_id) ? 1 : 0;
        } else {
            // A list without a selection reads as entry 0.
            value = controls.selection(control.control_id);
            if (value < 0 || value >= control.field->entries) {
                value = 0;
            }
        }
        set_field_value(record, control, value);
    }
    return record;
}

} // namespace kavelo

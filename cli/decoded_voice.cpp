#include "cli/decoded_voice.h"

#include "cli/json_text.h"
#include "voice_editor/voice_fields.h"

#include <iostream>
#include <string>

namespace kavelo::cli {

namespace {

std::string field_name(const field_control& control) {
    std::string name(control.field->label);
    if (!name.empty() && name.back() == ':') {
        name.pop_back();
    }
    return name;
}

} // namespace

void print_decoded(const voice_record& voice) {
    const auto controls = voice_field_controls();
    std::cout << "    ALG " << int(field_value(voice, controls[0])) << "  FBL "
              << int(field_value(voice, controls[1])) << '\n';
    for (std::size_t op = 0; op < 4; ++op) {
        std::cout << "    OP" << op + 1 << ' ';
        for (std::size_t f = 0; f < 10; ++f) {
            const field_control& control = controls[2 + 10 * op + f];
            std::cout << ' ' << field_name(control) << ' '
                      << field_entry_text(*control.field, field_value(voice, control));
        }
        std::cout << '\n';
    }
}

void print_decoded_json(const voice_record& voice) {
    const auto controls = voice_field_controls();
    std::cout << "\"alg\": " << int(field_value(voice, controls[0]))
              << ", \"fbl\": " << int(field_value(voice, controls[1])) << ", \"operators\": [";
    for (std::size_t op = 0; op < 4; ++op) {
        std::cout << (op ? ", " : "") << "{";
        for (std::size_t f = 0; f < 10; ++f) {
            const field_control& control = controls[2 + 10 * op + f];
            // Values are the fields as stored; the release list shows 2k + 1 for them.
            std::cout << (f ? ", " : "") << json_quote(field_name(control)) << ": "
                      << int(field_value(voice, control));
        }
        std::cout << "}";
    }
    std::cout << "]";
}

} // namespace kavelo::cli

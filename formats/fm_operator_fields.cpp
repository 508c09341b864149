#include "formats/fm_operator_fields.h"

#include <algorithm>

namespace kavelo {

namespace {

// Record byte of operator i in the group that starts at `first`.
constexpr std::size_t at(std::size_t first, int op) {
    return first + 3 - static_cast<std::size_t>(op);
}

// Register base -> first record byte of its group.
std::size_t group_of(uint8_t base) {
    switch (base) {
    case 0x30:
        return 1;
    case 0x40:
        return 21;
    case 0x50:
        return 5;
    case 0x60:
        return 9;
    case 0x70:
        return 13;
    default:
        return 17;
    }
}

constexpr std::array<uint8_t, 8> offset3_to_chip{7, 6, 5, 0, 1, 2, 3, 4};

} // namespace

voice_params unpack_voice(const voice_record& r) {
    voice_params v;
    v.alg = r[0] & 0x07;
    v.fb = (r[0] >> 3) & 0x07;
    for (int i = 0; i < 4; ++i) {
        operator_params& o = v.op[static_cast<std::size_t>(i)];
        o.dt = (r[at(1, i)] >> 4) & 0x07;
        o.mul = r[at(1, i)] & 0x0F;
        o.rs = r[at(5, i)] >> 6;
        o.ar = r[at(5, i)] & 0x1F;
        o.am = r[at(9, i)] >> 7;
        o.d1r = r[at(9, i)] & 0x1F;
        o.d2r = r[at(13, i)] & 0x1F;
        o.d1l = r[at(17, i)] >> 4;
        o.rr = r[at(17, i)] & 0x0F;
        o.tl = r[at(21, i)] & 0x7F;
    }
    return v;
}

voice_record pack_voice(const voice_params& v) {
    voice_record r{};
    r[0] = static_cast<uint8_t>((v.fb & 7) << 3 | (v.alg & 7));
    for (int i = 0; i < 4; ++i) {
        const operator_params& o = v.op[static_cast<std::size_t>(i)];
        r[at(1, i)] = static_cast<uint8_t>((o.dt & 7) << 4 | (o.mul & 15));
        r[at(5, i)] = static_cast<uint8_t>((o.rs & 3) << 6 | (o.ar & 31));
        r[at(9, i)] = static_cast<uint8_t>((o.am & 1) << 7 | (o.d1r & 31));
        r[at(13, i)] = o.d2r & 31;
        r[at(17, i)] = static_cast<uint8_t>((o.d1l & 15) << 4 | (o.rr & 15));
        r[at(21, i)] = o.tl & 127;
    }
    return r;
}

uint8_t detune_from_offset3(uint8_t stored) {
    return offset3_to_chip[stored & 7];
}

uint8_t detune_to_offset3(uint8_t chip) {
    const auto* found = std::find(offset3_to_chip.begin(), offset3_to_chip.end(), chip & 7);
    return static_cast<uint8_t>(found - offset3_to_chip.begin());
}

uint8_t register_byte(const voice_record& record, uint8_t base, int op) {
    return record[at(group_of(base), op)];
}

void set_register_byte(voice_record& record, uint8_t base, int op, uint8_t value) {
    record[at(group_of(base), op)] = value;
}

void dropped_fields::add(const std::string& field) {
    if (std::find(names_.begin(), names_.end(), field) == names_.end()) {
        names_.push_back(field);
    }
}

bool field_in_range(const char* field, int op, unsigned value, unsigned max, std::string& problem) {
    if (value <= max) {
        return true;
    }
    problem = std::string(field) + (op >= 0 ? " of operator " + std::to_string(op + 1) : "") +
              " is " + std::to_string(value) + ", above its largest value " + std::to_string(max) +
              "; the file is damaged or of another kind.";
    return false;
}

} // namespace kavelo

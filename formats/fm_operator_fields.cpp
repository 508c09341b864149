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

// Stored 0-6 (-3..+3) to the chip's encoding; stored 3 is "no detune".
constexpr std::array<uint8_t, 7> offset3_to_chip{7, 6, 5, 0, 1, 2, 3};
constexpr uint8_t offset3_none = 3;
constexpr uint8_t chip_minus_zero = 4;

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
    stored &= 7;
    return stored < offset3_to_chip.size() ? offset3_to_chip[stored] : 0;
}

uint8_t detune_to_offset3(uint8_t chip) {
    chip &= 7;
    if (chip == chip_minus_zero) {
        return offset3_none;
    }
    const auto* found = std::find(offset3_to_chip.begin(), offset3_to_chip.end(), chip);
    return static_cast<uint8_t>(found - offset3_to_chip.begin());
}

voice_record without_minus_zero_detune(voice_record record) {
    for (int op = 0; op < 4; ++op) {
        const uint8_t dt_mul = register_byte(record, 0x30, op);
        if ((dt_mul >> 4 & 7) == chip_minus_zero) {
            set_register_byte(record, 0x30, op, dt_mul & 0x8F);
        }
    }
    return record;
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
    problem = "The file holds " + std::string(field) + " " + std::to_string(value) +
              (op >= 0 ? " for operator " + std::to_string(op + 1) : "") +
              ", past the field's range 0-" + std::to_string(max) +
              "; it is damaged or of another kind.";
    return false;
}

uint8_t field_low_bits(const char* field, unsigned value, unsigned max, dropped_fields& past) {
    past.note(field, value > max);
    return static_cast<uint8_t>(value & max);
}

} // namespace kavelo

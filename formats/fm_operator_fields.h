#pragma once
// The YM2612 fields of a Voice record, unpacked, for the instrument file formats that
// keep each parameter in a byte of its own. Operators are indexed 0-3 in register order
// (+0x0, +0x4, +0x8, +0xC: OP1..OP4), the order in which every supported file stores them
// (descriptions that number slots as the chip's algorithm charts do call it S1, S3, S2, S4);
// the record keeps each group as OP4, OP3, OP2, OP1, so operator i is group position 3 - i.

#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kavelo {

struct operator_params {
    uint8_t dt = 0;  // chip encoding: 0 none, 1-3 up, 5-7 down (4 is "minus zero", none)
    uint8_t mul = 0; // 0-15
    uint8_t tl = 0;  // 0-127
    uint8_t rs = 0;  // 0-3
    uint8_t ar = 0;  // 0-31
    uint8_t am = 0;  // 0-1
    uint8_t d1r = 0; // 0-31
    uint8_t d2r = 0; // 0-31
    uint8_t d1l = 0; // 0-15
    uint8_t rr = 0;  // 0-15

    bool operator==(const operator_params&) const = default;
};

struct voice_params {
    uint8_t alg = 0; // 0-7
    uint8_t fb = 0;  // 0-7
    std::array<operator_params, 4> op{};

    bool operator==(const voice_params&) const = default;
};

voice_params unpack_voice(const voice_record& record);
// Keeps only each field's own bits; the bits the chip ignores come out zero.
voice_record pack_voice(const voice_params& voice);

// Several formats store detune as -3..+3 plus 3 (0-6, 3 = none). They have no "minus
// zero": the chip's 4 sounds as no detune and is written as 3, and a stored 7 (beyond +3,
// which earlier versions of this program wrote for 4) reads as no detune.
uint8_t detune_from_offset3(uint8_t stored);
uint8_t detune_to_offset3(uint8_t chip);
// The record with each detune 4 made 0, the same sound: what a format without "minus zero"
// reads back.
voice_record without_minus_zero_detune(voice_record record);

// The operator register groups in address order, as the formats that dump registers keep
// them: DT/MUL, TL, RS/AR, AM/D1R, D2R, D1L/RR.
inline constexpr std::array<uint8_t, 6> operator_registers{0x30, 0x40, 0x50, 0x60, 0x70, 0x80};

// Raw register bytes of operator i (register order) for the formats that dump registers:
// base is one of operator_registers.
uint8_t register_byte(const voice_record& record, uint8_t base, int op);
void set_register_byte(voice_record& record, uint8_t base, int op, uint8_t value);

// Fields a Voice record cannot hold, named once each, for the note a reader gives.
class dropped_fields {
  public:
    void note(const char* field, unsigned value) {
        if (value != 0) {
            add(field);
        }
    }
    void add(const std::string& field);
    std::vector<std::string> take() { return std::move(names_); }

  private:
    std::vector<std::string> names_;
};

// Checks a field read from a file against its range; an out-of-range value names the
// file as mislabelled or damaged rather than being cut to fit.
bool field_in_range(const char* field, int op, unsigned value, unsigned max, std::string& problem);
// For text formats whose real files hold values past a field's range: the low bits the
// chip would take (max is all ones), the field named in `past` when any bit was cut.
uint8_t field_low_bits(const char* field, unsigned value, unsigned max, dropped_fields& past);

} // namespace kavelo

#pragma once
// A music channel's state as the sound driver keeps it: 48 bytes whose fields share bytes
// where the driver's do (the loop counters, from 0x24, and the call stack, growing down
// from 0x30), so that a deep call or a high loop index overwrites what it would in the
// game. Multi-byte fields are big-endian, as the 68000 stores them.

#include <cstdint>

namespace kavelo {

inline constexpr uint32_t channel_record_size = 48;

namespace record {
inline constexpr uint8_t control = 0x00;
inline constexpr uint8_t voice_control = 0x01; // "vc": where the register writes go
inline constexpr uint8_t divider = 0x02;
inline constexpr uint8_t stream = 0x04; // 32-bit address of the next byte
inline constexpr uint8_t transpose = 0x08;
inline constexpr uint8_t volume = 0x09;
inline constexpr uint8_t pan = 0x0A;   // register B4's byte
inline constexpr uint8_t voice = 0x0B; // FM voice number, PSG envelope number
inline constexpr uint8_t envelope_index = 0x0C;
inline constexpr uint8_t stack = 0x0D;
inline constexpr uint8_t timeout = 0x0E;
inline constexpr uint8_t saved_duration = 0x0F;
inline constexpr uint8_t frequency = 0x10; // 16-bit; the drum channel's saved sample is byte 0x10
inline constexpr uint8_t fill_timeout = 0x12;
inline constexpr uint8_t fill_master = 0x13;
inline constexpr uint8_t modulation = 0x14; // 32-bit address of the four parameters
inline constexpr uint8_t mod_wait = 0x18;
inline constexpr uint8_t mod_speed = 0x19;
inline constexpr uint8_t mod_delta = 0x1A;
inline constexpr uint8_t mod_steps = 0x1B;
inline constexpr uint8_t mod_value = 0x1C; // signed 16-bit
inline constexpr uint8_t detune = 0x1E;
inline constexpr uint8_t algorithm = 0x1F; // FM: last loaded feedback/algorithm; PSG: noise byte
inline constexpr uint8_t loop_counters = 0x24;
inline constexpr uint8_t stack_top = 0x30;
} // namespace record

// Bits of the control byte.
inline constexpr uint8_t ctl_playing = 0x80;
inline constexpr uint8_t ctl_hold = 0x10;
inline constexpr uint8_t ctl_modulating = 0x08;
inline constexpr uint8_t ctl_overridden = 0x04;
inline constexpr uint8_t ctl_resting = 0x02;

// A view of one record inside the driver's memory, which continues past the record.
class channel_record {
  public:
    explicit channel_record(uint8_t* base) : base_(base) {}

    uint8_t& operator[](uint32_t at) const { return base_[at]; }
    uint16_t word(uint32_t at) const {
        return static_cast<uint16_t>(base_[at] << 8 | base_[at + 1]);
    }
    void set_word(uint32_t at, uint16_t value) const {
        base_[at] = static_cast<uint8_t>(value >> 8);
        base_[at + 1] = static_cast<uint8_t>(value);
    }
    uint32_t address(uint32_t at) const { return uint32_t{word(at)} << 16 | word(at + 2); }
    void set_address(uint32_t at, uint32_t value) const {
        set_word(at, static_cast<uint16_t>(value >> 16));
        set_word(at + 2, static_cast<uint16_t>(value));
    }

    bool has(uint8_t bits) const { return (base_[record::control] & bits) != 0; }
    void set(uint8_t bits) const { base_[record::control] |= bits; }
    void clear(uint8_t bits) const { base_[record::control] &= static_cast<uint8_t>(~bits); }
    uint8_t vc() const { return base_[record::voice_control]; }

  private:
    uint8_t* base_;
};

} // namespace kavelo

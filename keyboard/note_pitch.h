#pragma once
// Notes as musicians name them (scientific pitch: C4 is middle C, A4 is 440 Hz, MIDI
// numbering) and the block and F-number that play them on the preview's chip.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavelo {

inline constexpr int32_t lowest_note = 0;    // C-1
inline constexpr int32_t highest_note = 127; // G9, though the chip stops below it

struct fm_pitch {
    uint8_t block = 0; // 0..7
    uint16_t fnum = 0; // 11 bits
    uint8_t a4_value() const { return static_cast<uint8_t>((block << 3) | (fnum >> 8)); }
    uint8_t a0_value() const { return static_cast<uint8_t>(fnum & 0xFF); }
};

// Equal temperament around A4 = 440 Hz.
double note_frequency(int32_t note);

// The block and F-number of `note` at the preview's clock and 44100 Hz output, from the
// core's phase rule. The block is the lowest that keeps the F-number below 1024, which
// gives C the F-number 644 in every octave; notes above the chip's top (block 7,
// F-number 2047) have none.
std::optional<fm_pitch> note_pitch(int32_t note);

// The key code the chip derives from this pitch: block << 2 | F-number class.
uint8_t pitch_key_code(fm_pitch pitch);

// The frequency an operator with MUL 1 and no detune plays at this pitch.
double pitch_frequency(fm_pitch pitch);

// "C4", "A#3", "C-1".
std::string note_name(int32_t note);

// Reads a name as note_name writes it; flats ("Db5") and lower-case letters are taken
// too. Nothing for text that is no note or lies outside 0-127.
std::optional<int32_t> parse_note_name(std::string_view text);

} // namespace kavelo

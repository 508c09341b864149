#include "keyboard/note_pitch.h"

#include "fm/fm_tables.h"
#include "fm/preview_render.h"

#include <array>
#include <cmath>

namespace kavelo {

namespace {

constexpr std::array<const char*, 12> sharp_names = {"C",  "C#", "D",  "D#", "E",  "F",
                                                     "F#", "G",  "G#", "A",  "A#", "B"};
// Semitone of each letter A..G above C.
constexpr std::array<int32_t, 7> letter_semitones = {9, 11, 0, 2, 4, 5, 7};

// The core's phase rule: with MUL 1 (twice the multiple is 2) an F-number advances the
// 2^24-per-cycle phase by (fnum x freq_base x 512 >> (7 - block)) x 2 each output frame,
// where freq_base is clock / rate / 144. Solved for the F-number at block 0.
double fnum_at_block_zero(double frequency) {
    const double freq_base = double{preview_clock} / preview_rate / 144.0;
    const double step_per_frame = frequency * 16777216.0 / preview_rate;
    return step_per_frame * 128.0 / (freq_base * 512.0 * 2.0);
}

} // namespace

double note_frequency(int32_t note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

std::optional<fm_pitch> note_pitch(int32_t note) {
    if (note < lowest_note || note > highest_note) {
        return std::nullopt;
    }
    double fnum = fnum_at_block_zero(note_frequency(note));
    int32_t block = 0;
    while (std::lround(fnum) >= 1024 && block < 7) {
        fnum /= 2.0;
        ++block;
    }
    const long rounded = std::lround(fnum);
    if (rounded < 1 || rounded > 2047) {
        return std::nullopt;
    }
    return fm_pitch{static_cast<uint8_t>(block), static_cast<uint16_t>(rounded)};
}

uint8_t pitch_key_code(fm_pitch pitch) {
    return static_cast<uint8_t>((pitch.block << 2) | key_code_table[(pitch.fnum >> 7) & 15]);
}

double pitch_frequency(fm_pitch pitch) {
    return pitch.fnum * std::ldexp(1.0, pitch.block) / fnum_at_block_zero(1.0);
}

std::string note_name(int32_t note) {
    const int32_t octave = (note >= 0 ? note / 12 : (note - 11) / 12) - 1;
    return std::string(sharp_names[static_cast<std::size_t>(note - (octave + 1) * 12)]) +
           std::to_string(octave);
}

std::optional<int32_t> parse_note_name(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(text[0] & ~0x20);
    if (letter < 'A' || letter > 'G') {
        return std::nullopt;
    }
    int32_t semitone = letter_semitones[static_cast<std::size_t>(letter - 'A')];
    std::size_t i = 1;
    if (i < text.size() && (text[i] == '#' || text[i] == 'b')) {
        semitone += text[i] == '#' ? 1 : -1;
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) {
        ++i;
    }
    if (i == text.size() || text.size() - i > 2) {
        return std::nullopt;
    }
    int32_t octave = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        octave = octave * 10 + (text[i] - '0');
    }
    const int32_t note = (negative ? -octave : octave) * 12 + 12 + semitone;
    if (note < lowest_note || note > highest_note) {
        return std::nullopt;
    }
    return note;
}

} // namespace kavelo

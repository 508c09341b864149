#pragma once
// MIDI short messages as an input device delivers them packed in one 32-bit word: status
// byte in bits 0-7, first data byte in bits 8-15, second in bits 16-23.

#include <cstdint>

namespace kavelo {

enum class midi_kind : uint8_t { other, note_on, note_off };

struct midi_event {
    midi_kind kind = midi_kind::other;
    uint8_t channel = 0; // 0..15
    uint8_t note = 0;
    uint8_t velocity = 0;
};

// Note on and note off of any channel; a note on with velocity 0 is a note off. Every
// other message, and one whose data bytes have bit 7 set, is `other`.
midi_event parse_midi_short_message(uint32_t packed);

} // namespace kavelo

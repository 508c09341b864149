#include "keyboard/midi_message.h"

namespace kavelo {

midi_event parse_midi_short_message(uint32_t packed) {
    const auto status = static_cast<uint8_t>(packed & 0xFF);
    const auto data1 = static_cast<uint8_t>((packed >> 8) & 0xFF);
    const auto data2 = static_cast<uint8_t>((packed >> 16) & 0xFF);
    midi_event event;
    const uint8_t type = status & 0xF0;
    if ((type != 0x80 && type != 0x90) || (data1 & 0x80) != 0 || (data2 & 0x80) != 0) {
        return event;
    }
    event.channel = status & 0x0F;
    event.note = data1;
    event.velocity = data2;
    event.kind = type == 0x90 && data2 != 0 ? midi_kind::note_on : midi_kind::note_off;
    return event;
}

} // namespace kavelo

#include "keyboard/voice_allocator.h"

namespace kavelo {

channel_assignment voice_allocator::note_on(int32_t note) {
    int32_t chosen = -1;
    for (int32_t c = 0; c < live_channel_count; ++c) {
        if (slots_[c].note == note) {
            chosen = c;
        }
    }
    if (chosen < 0) {
        // Oldest free channel first; failing that, the oldest held one.
        for (int32_t pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (int32_t c = 0; c < live_channel_count; ++c) {
                const bool held = slots_[c].note != no_note;
                if (held == (pass == 1) && (chosen < 0 || slots_[c].since < slots_[chosen].since)) {
                    chosen = c;
                }
            }
        }
    }
    channel_assignment result{chosen, no_note};
    if (slots_[chosen].note != note) {
        result.stolen_note = slots_[chosen].note;
    }
    slots_[chosen] = slot{note, ++clock_};
    return result;
}

int32_t voice_allocator::note_off(int32_t note) {
    for (int32_t c = 0; c < live_channel_count; ++c) {
        if (slots_[c].note == note) {
            slots_[c] = slot{no_note, ++clock_};
            return c;
        }
    }
    return -1;
}

} // namespace kavelo

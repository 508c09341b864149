#pragma once
// Which of the chip's six channels plays which held note. A new note takes a channel
// that holds no note, the one released longest ago so that fresh release tails play on;
// when all six are held, the note held longest gives its channel up.

#include <array>
#include <cstdint>

namespace kavelo {

inline constexpr int32_t live_channel_count = 6;
inline constexpr int32_t no_note = -1;

struct channel_assignment {
    int32_t channel = -1;          // 0..5, -1 when nothing changes
    int32_t stolen_note = no_note; // the held note whose channel was taken
};

class voice_allocator {
  public:
    // A note already held keeps its channel (and is struck again there).
    channel_assignment note_on(int32_t note);
    // The channel that held `note`, now released; -1 when the note was not held.
    int32_t note_off(int32_t note);
    // The note a channel holds, or no_note.
    int32_t held_note(int32_t channel) const { return slots_[channel].note; }

  private:
    struct slot {
        int32_t note = no_note;
        uint64_t since = 0; // order of the last note on or off
    };
    std::array<slot, live_channel_count> slots_{};
    uint64_t clock_ = 0;
};

} // namespace kavelo

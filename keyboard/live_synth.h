#pragma once
// The Keyboard's instrument: one chip set up like the preview's, the edited voice on all
// six channels, a note per channel. Not thread-safe; the window's audio thread and its
// message handlers share it under one lock.

#include "fm/fm_types.h"
#include "keyboard/note_pitch.h"
#include "keyboard/voice_allocator.h"
#include "rom/voice_record.h"
#include "sound/sound_stream.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

class live_synth final : public stream_renderer {
  public:
    live_synth();
    ~live_synth() override;
    live_synth(const live_synth&) = delete;
    live_synth& operator=(const live_synth&) = delete;

    bool ready() const;
    // Rewrites the registers whose bytes changed on every channel; sounding notes go on.
    void set_voice(const voice_record& voice);
    // Keys the note on the channel the allocator gives it; -1 when the chip cannot play it.
    int32_t note_on(int32_t note);
    // The same at a pitch of the caller's (the preview's note table, for instance).
    int32_t note_on(int32_t note, fm_pitch pitch);
    // Keys the note's channel off so its release is heard; -1 when it was not held.
    int32_t note_off(int32_t note);
    int32_t held_note(int32_t channel) const { return allocator_.held_note(channel); }

    // `frames` frames of signed 16-bit stereo, left first; `out` holds 2 x frames.
    void render(std::span<int16_t> out, uint32_t frames) override;

    // The envelope state of an operator (register order: 0 is +0x0, OP1).
    const fm_operator& operator_state(int32_t channel, int32_t op) const;

  private:
    void write(int32_t channel, uint8_t reg, uint8_t value);
    void key(int32_t channel, uint8_t operators);

    fm_core core_;
    voice_record voice_{};
    voice_allocator allocator_;
    std::vector<int8_t> left_;
    std::vector<int8_t> right_;
};

// The register (of channel 1) that each Voice record byte programs.
uint8_t voice_byte_register(std::size_t byte);

} // namespace kavelo
